#pragma once
// The About window: the program's name, the credit line and two animations, the upper one a link
// to the fan site.

#include <QDialog>
#include <QUrl>

class QLabel;
class QMovie;
class QPushButton;

// The About window.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    // The animations as drawn, and the frame the upper one starts from (the third).
    static constexpr QSize kGifani1Size{105, 45};
    static constexpr QSize kGifani2Size{64, 64};
    static constexpr int kGifani1FirstFrame = 2;

    explicit TForm5(QWidget* parent = nullptr);

    // The fan site's home page, opened by a click on the upper animation.
    static QUrl fanSiteHome();
    QMovie* movie1() const { return m_movie1; }
    QMovie* movie2() const { return m_movie2; }

    void gifani1Click();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* gifani1 = nullptr;
    QLabel* gifani2 = nullptr;
    QPushButton* Button1 = nullptr;
    QMovie* m_movie1 = nullptr;
    QMovie* m_movie2 = nullptr;
};
