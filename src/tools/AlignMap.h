#pragma once
// The Align Map window: the user picks a POI with a world location and clicks where it belongs on
// the map picture; from two such control points on, a zone rectangle is fitted, each point's
// residual listed and the page's POIs drawn where the rectangle puts them. Apply hands the
// rectangle to the main window, which writes it as Add ZoneRect does; the window keeps its own
// undo history of points and applies. Not modal.

#include "mapview/ControlPointFit.h"
#include "mapview/Language.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTableWidget;
class QUndoStack;

// A POI of the page that can be a control point: one with a world location.
struct AlignPoi {
    int index = -1;  // the POI index on the page
    QString name;
    double worldX = 0;
    double worldZ = 0;
    std::optional<ImagePoint> pixel;  // its own point on the map, where the page holds one
};

// A control point with the POI it was taken from (-1 where none of the page matches any more).
struct AlignPoint {
    int poi = -1;
    ControlPoint point;
};

// What the main window hands the window when it opens.
struct AlignMapSetup {
    QString mapName;
    int pageWidth = 436;
    int pageHeight = 506;
    QImage picture;        // the page's part of the map picture, page pixel (0, 0) at its corner
    ZoneRectangle zone{};  // the map's rectangle now; none is all zero
    std::vector<AlignPoi> pois;
    std::vector<ControlPoint> kept;  // points of an earlier sitting
    bool pagePixels = false;         // the page places POIs by their own pixel, to check against the fit
};

// The points of `kept` with the POI of the same world location, if any.
std::vector<AlignPoint> MatchKeptPoints(const std::vector<ControlPoint>& kept, const std::vector<AlignPoi>& pois);

// The picture, the page's POIs through the fitted rectangle and the control points; a click asks
// for a control point at that pixel.
class AlignMapView : public QWidget {
    Q_OBJECT
public:
    explicit AlignMapView(QWidget* parent = nullptr);
    void setPicture(const QImage& picture, int pageWidth, int pageHeight);
    void setContent(const std::vector<AlignPoi>* pois, const std::vector<AlignPoint>* points,
                    const std::optional<ControlPointFit>* fit);
    // Where page pixel `pixel` is drawn, and back (whole pixels).
    QPointF widgetPoint(const ImagePoint& pixel) const;
    ImagePoint pagePixel(const QPointF& at) const;

signals:
    void clicked(ImagePoint pixel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    double scale() const;
    QImage m_picture;
    int m_pageWidth = 436;
    int m_pageHeight = 506;
    const std::vector<AlignPoi>* m_pois = nullptr;
    const std::vector<AlignPoint>* m_points = nullptr;
    const std::optional<ControlPointFit>* m_fit = nullptr;
};

class AlignMapWindow : public QWidget {
    Q_OBJECT
public:
    // Writes `zone` as the map's rectangle (the map style file too with `styleFile`); true when
    // it was written. Undo calls it with the rectangle the map had.
    using Applier = std::function<bool(const ZoneRectangle& zone, bool styleFile)>;

    AlignMapWindow(const AlignMapSetup& setup, Applier applier, Language language, QWidget* parent = nullptr);
    ~AlignMapWindow() override;

    // The POI picked in the main window's tree becomes the one the next click places.
    void setCurrentPoi(int poiIndex);
    // As a click on the view: a control point for the current POI (replacing its earlier one).
    void placeAt(ImagePoint pixel);
    void deletePoint(int row);

    const QString& mapName() const { return m_setup.mapName; }
    const std::vector<AlignPoi>& pois() const { return m_setup.pois; }
    const std::vector<AlignPoint>& points() const { return m_points; }
    const std::optional<ControlPointFit>& fit() const { return m_fit; }
    // The POIs whose own pixel lies off the fitted rectangle (pages that hold pixels).
    std::vector<PixelCheck> pixelsOffFit() const;
    AlignMapView* view() const { return m_view; }
    QUndoStack& undoStack() { return *m_undo; }

signals:
    // The control points changed (to be kept for a later sitting).
    void pointsChanged(const std::vector<ControlPoint>& points);
    // A rectangle was applied, or an apply undone.
    void applied(const ZoneRectangle& zone);

private:
    friend class AlignPointsCommand;
    friend class AlignApplyCommand;
    void createControls(Language language);
    void setPoints(std::vector<AlignPoint> points);
    void refresh();
    void fillTable();
    QString poiName(int poi) const;
    void applyFit();

    AlignMapSetup m_setup;
    Applier m_applier;
    Language m_language;
    ZoneRectangle m_currentZone{};
    std::vector<AlignPoint> m_points;
    std::optional<ControlPointFit> m_fit;
    ZoneFitFailure m_failure = ZoneFitFailure::TooFew;
    QUndoStack* m_undo = nullptr;

    QListWidget* m_poiList = nullptr;
    AlignMapView* m_view = nullptr;
    QTableWidget* m_table = nullptr;
    QLabel* m_fitLabel = nullptr;
    QLabel* m_checkLabel = nullptr;
    QCheckBox* m_styleFile = nullptr;
    QPushButton* m_delete = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_undoButton = nullptr;
    QPushButton* m_redoButton = nullptr;
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
};
