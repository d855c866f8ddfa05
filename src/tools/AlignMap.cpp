#include "tools/AlignMap.h"

#include "document/PageCheck.h"
#include "mapview/PoiAnchor.h"
#include "tools/DialogSupport.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Texts of the window in both languages.
const DialogCaption kTexts[] = {
    {"AlignMap", "맵 맞추기", "Align Map"},
    {"AlignPick", "1. 위치를 아는 POI를 고르고", "1. Pick a POI whose world location is known"},
    {"AlignClick", "2. 지도에서 그 자리를 클릭하세요", "2. Click where it is on the map"},
    {"AlignDelete", "삭제", "Delete"},
    {"AlignClear", "모두 지우기", "Clear"},
    {"AlignUndo", "실행 취소", "Undo"},
    {"AlignRedo", "다시 실행", "Redo"},
    {"AlignApply", "적용", "Apply"},
    {"AlignCancel", "취소", "Cancel"},
    {"AlignStyleFile", "맵 스타일 파일에도 쓰기", "Also write the map style file"},
    {"AlignFitted", "경계 %1, 평균 오차 %2 픽셀", "Rectangle %1, RMS %2 pixels"},
    {"AlignTooFew", "두 개 이상의 POI를 지도에 놓으세요", "Place two POIs or more on the map"},
    {"AlignOneLine", "점들이 한 줄에 있습니다: 가로와 세로로 떨어진 POI를 고르세요",
     "The points lie on one line: pick POIs apart in both directions"},
    {"AlignNoGradient", "점들이 지도에서 퍼져 있지 않습니다", "The points do not spread over the map"},
    {"AlignPickFirst", "먼저 POI를 고르세요", "Pick a POI first"},
    {"AlignFarOff", " (벗어남)", " (far off)"},
    {"AlignPixelsOff", "POI %1개의 위치가 이 경계에서 %2픽셀 넘게 벗어납니다",
     "%1 POIs stand more than %2 pixels off this rectangle"},
    {"AlignHeaders", "POI|월드 X|월드 Z|픽셀 X|픽셀 Y|오차", "POI|World X|World Z|Pixel X|Pixel Y|Residual"},
};

constexpr int kListWidth = 220;
constexpr int kTableHeight = 170;
constexpr int kViewMinimum = 360;
constexpr int kPoiDot = 3;
constexpr int kCrossArm = 6;
constexpr int kCrossPen = 2;
constexpr int kResidualDecimals = 2;
const QColor kPoiColour(40, 110, 230);
const QColor kPointColour(20, 160, 60);
const QColor kFarOffColour(220, 30, 30);

enum Column { NameColumn, WorldXColumn, WorldZColumn, PixelXColumn, PixelYColumn, ResidualColumn, ColumnCount };

QString textOf(Language language, const char* name)
{
    for (const DialogCaption& row : kTexts) {
        if (std::strcmp(row.name, name) == 0)
            return QString::fromUtf8(language == Language::Korean ? row.korean : row.english);
    }
    return QString();
}

QString number(double value)
{
    return QString::number(value, 'f', kResidualDecimals);
}

}  // namespace

// One change of the control points, undone by putting the earlier list back.
class AlignPointsCommand : public QUndoCommand {
public:
    AlignPointsCommand(AlignMapWindow& window, std::vector<AlignPoint> before, std::vector<AlignPoint> after)
        : m_window(window), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void redo() override { m_window.setPoints(m_after); }
    void undo() override { m_window.setPoints(m_before); }

private:
    AlignMapWindow& m_window;
    std::vector<AlignPoint> m_before;
    std::vector<AlignPoint> m_after;
};

// An applied rectangle, undone by writing the one the map had.
class AlignApplyCommand : public QUndoCommand {
public:
    AlignApplyCommand(AlignMapWindow& window, const ZoneRectangle& before, const ZoneRectangle& after, bool styleFile)
        : m_window(window), m_before(before), m_after(after), m_styleFile(styleFile)
    {
    }
    void redo() override
    {
        // The first apply was written before the command was made: only a redo writes again.
        if (m_written)
            put(m_after);
        m_written = true;
    }
    void undo() override { put(m_before); }

private:
    void put(const ZoneRectangle& zone)
    {
        if (m_window.m_applier(zone, m_styleFile)) {
            m_window.m_currentZone = zone;
            emit m_window.applied(zone);
        }
    }
    AlignMapWindow& m_window;
    ZoneRectangle m_before;
    ZoneRectangle m_after;
    bool m_styleFile = false;
    bool m_written = false;
};

std::vector<AlignPoint> MatchKeptPoints(const std::vector<ControlPoint>& kept, const std::vector<AlignPoi>& pois)
{
    std::vector<AlignPoint> points;
    for (const ControlPoint& point : kept) {
        const auto poi = std::find_if(pois.begin(), pois.end(), [&point](const AlignPoi& p) {
            return p.worldX == point.worldX && p.worldZ == point.worldZ;
        });
        points.push_back({poi == pois.end() ? -1 : poi->index, point});
    }
    return points;
}

// ---- The view ---------------------------------------------------------------------------------

AlignMapView::AlignMapView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AlignView"));
    setMinimumSize(kViewMinimum, kViewMinimum);
    setCursor(Qt::CrossCursor);
}

void AlignMapView::setPicture(const QImage& picture, int pageWidth, int pageHeight)
{
    m_picture = picture;
    m_pageWidth = std::max(1, pageWidth);
    m_pageHeight = std::max(1, pageHeight);
    update();
}

void AlignMapView::setContent(const std::vector<AlignPoi>* pois, const std::vector<AlignPoint>* points,
                              const std::optional<ControlPointFit>* fit)
{
    m_pois = pois;
    m_points = points;
    m_fit = fit;
    update();
}

double AlignMapView::scale() const
{
    return std::min(double(width()) / m_pageWidth, double(height()) / m_pageHeight);
}

QPointF AlignMapView::widgetPoint(const ImagePoint& pixel) const
{
    return QPointF(pixel.x * scale(), pixel.y * scale());
}

ImagePoint AlignMapView::pagePixel(const QPointF& at) const
{
    // Pixels in the files are whole numbers: a click means the pixel it falls in.
    return ImagePoint{std::floor(at.x() / scale()), std::floor(at.y() / scale())};
}

void AlignMapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const double s = scale();
    painter.drawImage(QRectF(0, 0, m_pageWidth * s, m_pageHeight * s), m_picture,
                      QRectF(0, 0, m_pageWidth, m_pageHeight));
    painter.setRenderHint(QPainter::Antialiasing);
    const ControlPointFit* fit = m_fit && *m_fit ? &**m_fit : nullptr;
    const EditorState page = PageWithZone(fit ? fit->zone : ZoneRectangle{}, m_pageWidth, m_pageHeight);
    if (fit && m_pois) {
        // The whole page as the rectangle would place it.
        painter.setPen(Qt::NoPen);
        painter.setBrush(kPoiColour);
        for (const AlignPoi& poi : *m_pois) {
            if (const std::optional<ImagePoint> at = WorldToImagePoint(page, poi.worldX, poi.worldZ))
                painter.drawEllipse(widgetPoint(*at), kPoiDot, kPoiDot);
        }
    }
    if (!m_points)
        return;
    for (size_t i = 0; i < m_points->size(); ++i) {
        const ControlPoint& point = (*m_points)[i].point;
        const bool farOff = fit && i < fit->farOff.size() && fit->farOff[i];
        const QPointF at = widgetPoint(point.pixel);
        painter.setPen(QPen(farOff ? kFarOffColour : kPointColour, kCrossPen));
        painter.drawLine(at - QPointF(kCrossArm, 0), at + QPointF(kCrossArm, 0));
        painter.drawLine(at - QPointF(0, kCrossArm), at + QPointF(0, kCrossArm));
        painter.drawText(at + QPointF(kCrossArm, -kCrossArm), QString::number(i + 1));
        if (fit) {
            // Where the rectangle puts the point's world location: the residual as a line.
            if (const std::optional<ImagePoint> placed = WorldToImagePoint(page, point.worldX, point.worldZ))
                painter.drawLine(at, widgetPoint(*placed));
        }
    }
}

void AlignMapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const ImagePoint pixel = pagePixel(event->position());
    if (pixel.x >= 0 && pixel.y >= 0 && pixel.x < m_pageWidth && pixel.y < m_pageHeight)
        emit clicked(pixel);
}

// ---- The window -------------------------------------------------------------------------------

AlignMapWindow::AlignMapWindow(const AlignMapSetup& setup, Applier applier, Language language, QWidget* parent)
    : QWidget(parent, Qt::Tool), m_setup(setup), m_applier(std::move(applier)), m_language(language),
      m_currentZone(setup.zone), m_undo(new QUndoStack(this))
{
    setObjectName(QStringLiteral("AlignMap"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(textOf(language, "AlignMap") + QStringLiteral(" - ") + setup.mapName);
    setFont(languageFont(language));
    createControls(language);
    m_points = MatchKeptPoints(setup.kept, setup.pois);
    refresh();
}

AlignMapWindow::~AlignMapWindow() = default;

void AlignMapWindow::createControls(Language language)
{
    const auto button = [this, language](const char* name) {
        auto* b = new QPushButton(textOf(language, name), this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    m_poiList = new QListWidget(this);
    m_poiList->setObjectName(QStringLiteral("AlignPois"));
    m_poiList->setFixedWidth(kListWidth);
    for (const AlignPoi& poi : m_setup.pois) {
        auto* item = new QListWidgetItem(poi.name, m_poiList);
        item->setData(Qt::UserRole, poi.index);
    }
    m_view = new AlignMapView(this);
    m_view->setPicture(m_setup.picture, m_setup.pageWidth, m_setup.pageHeight);
    m_view->setContent(&m_setup.pois, &m_points, &m_fit);
    m_table = new QTableWidget(0, ColumnCount, this);
    m_table->setObjectName(QStringLiteral("AlignPoints"));
    m_table->setHorizontalHeaderLabels(textOf(language, "AlignHeaders").split(QLatin1Char('|')));
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setFixedHeight(kTableHeight);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_fitLabel = new QLabel(this);
    m_fitLabel->setObjectName(QStringLiteral("AlignFit"));
    m_checkLabel = new QLabel(this);
    m_checkLabel->setObjectName(QStringLiteral("AlignCheck"));
    m_styleFile = new QCheckBox(textOf(language, "AlignStyleFile"), this);
    m_styleFile->setObjectName(QStringLiteral("AlignStyleFile"));
    m_delete = button("AlignDelete");
    m_clear = button("AlignClear");
    m_undoButton = button("AlignUndo");
    m_redoButton = button("AlignRedo");
    m_apply = button("AlignApply");
    m_cancel = button("AlignCancel");

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(textOf(language, "AlignPick"), this));
    left->addWidget(m_poiList);
    auto* right = new QVBoxLayout;
    right->addWidget(new QLabel(textOf(language, "AlignClick"), this));
    right->addWidget(m_view, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(left);
    top->addLayout(right, 1);
    auto* buttons = new QHBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(m_delete), static_cast<QWidget*>(m_clear),
                       static_cast<QWidget*>(m_undoButton), static_cast<QWidget*>(m_redoButton)})
        buttons->addWidget(w);
    buttons->addStretch(1);
    buttons->addWidget(m_styleFile);
    buttons->addWidget(m_apply);
    buttons->addWidget(m_cancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addWidget(m_table);
    all->addWidget(m_fitLabel);
    all->addWidget(m_checkLabel);
    all->addLayout(buttons);

    connect(m_view, &AlignMapView::clicked, this, &AlignMapWindow::placeAt);
    connect(m_delete, &QPushButton::clicked, this, [this]() { deletePoint(m_table->currentRow()); });
    connect(m_clear, &QPushButton::clicked, this, [this]() {
        if (!m_points.empty())
            m_undo->push(new AlignPointsCommand(*this, m_points, {}));
    });
    connect(m_undoButton, &QPushButton::clicked, m_undo, &QUndoStack::undo);
    connect(m_redoButton, &QPushButton::clicked, m_undo, &QUndoStack::redo);
    connect(m_undo, &QUndoStack::canUndoChanged, m_undoButton, &QPushButton::setEnabled);
    connect(m_undo, &QUndoStack::canRedoChanged, m_redoButton, &QPushButton::setEnabled);
    m_undoButton->setEnabled(false);
    m_redoButton->setEnabled(false);
    connect(m_apply, &QPushButton::clicked, this, &AlignMapWindow::applyFit);
    connect(m_cancel, &QPushButton::clicked, this, &QWidget::close);
}

void AlignMapWindow::setCurrentPoi(int poiIndex)
{
    for (int row = 0; row < m_poiList->count(); ++row) {
        if (m_poiList->item(row)->data(Qt::UserRole).toInt() == poiIndex) {
            m_poiList->setCurrentRow(row);
            return;
        }
    }
}

void AlignMapWindow::placeAt(ImagePoint pixel)
{
    const QListWidgetItem* item = m_poiList->currentItem();
    if (!item) {
        m_fitLabel->setText(textOf(m_language, "AlignPickFirst"));
        return;
    }
    const int index = item->data(Qt::UserRole).toInt();
    const auto poi = std::find_if(m_setup.pois.begin(), m_setup.pois.end(),
                                  [index](const AlignPoi& p) { return p.index == index; });
    if (poi == m_setup.pois.end())
        return;
    std::vector<AlignPoint> after = m_points;
    const AlignPoint point{index, {poi->worldX, poi->worldZ, pixel}};
    // One point per POI: a second click moves it.
    const auto same = std::find_if(after.begin(), after.end(), [index](const AlignPoint& p) { return p.poi == index; });
    if (same != after.end())
        *same = point;
    else
        after.push_back(point);
    m_undo->push(new AlignPointsCommand(*this, m_points, std::move(after)));
}

void AlignMapWindow::deletePoint(int row)
{
    if (row < 0 || row >= static_cast<int>(m_points.size()))
        return;
    std::vector<AlignPoint> after = m_points;
    after.erase(after.begin() + row);
    m_undo->push(new AlignPointsCommand(*this, m_points, std::move(after)));
}

void AlignMapWindow::setPoints(std::vector<AlignPoint> points)
{
    m_points = std::move(points);
    refresh();
    std::vector<ControlPoint> kept;
    for (const AlignPoint& p : m_points)
        kept.push_back(p.point);
    emit pointsChanged(kept);
}

std::vector<PixelCheck> AlignMapWindow::pixelsOffFit() const
{
    if (!m_fit || !m_setup.pagePixels)
        return {};
    std::vector<std::pair<int, ControlPoint>> pixels;
    for (const AlignPoi& poi : m_setup.pois) {
        if (poi.pixel)
            pixels.push_back({poi.index, {poi.worldX, poi.worldZ, *poi.pixel}});
    }
    return PixelsOffFit(pixels, m_fit->zone, m_setup.pageWidth, m_setup.pageHeight, kSamePlacePixels);
}

void AlignMapWindow::refresh()
{
    std::vector<ControlPoint> points;
    for (const AlignPoint& p : m_points)
        points.push_back(p.point);
    m_fit = FitControlPoints(points, m_setup.pageWidth, m_setup.pageHeight, &m_failure);
    fillTable();
    if (m_fit) {
        m_fitLabel->setText(textOf(m_language, "AlignFitted")
                                .arg(QString::fromStdString(ZoneText(m_fit->zone)), number(m_fit->rms)));
    } else {
        const char* why = m_failure == ZoneFitFailure::OneLine      ? "AlignOneLine"
                          : m_failure == ZoneFitFailure::NoGradient ? "AlignNoGradient"
                                                                    : "AlignTooFew";
        m_fitLabel->setText(textOf(m_language, why));
    }
    const std::vector<PixelCheck> off = pixelsOffFit();
    m_checkLabel->setText(off.empty() ? QString()
                                      : textOf(m_language, "AlignPixelsOff").arg(off.size()).arg(kSamePlacePixels));
    m_apply->setEnabled(m_fit.has_value());
    m_delete->setEnabled(!m_points.empty());
    m_clear->setEnabled(!m_points.empty());
    m_view->update();
}

QString AlignMapWindow::poiName(int poi) const
{
    for (const AlignPoi& p : m_setup.pois) {
        if (p.index == poi)
            return p.name;
    }
    return QStringLiteral("-");
}

void AlignMapWindow::fillTable()
{
    m_table->setRowCount(static_cast<int>(m_points.size()));
    for (size_t i = 0; i < m_points.size(); ++i) {
        const AlignPoint& p = m_points[i];
        QString residual;
        if (m_fit) {
            residual = number(m_fit->residuals[i]);
            if (m_fit->farOff[i])
                residual += textOf(m_language, "AlignFarOff");
        }
        const QString cells[ColumnCount] = {poiName(p.poi), number(p.point.worldX), number(p.point.worldZ),
                                            QString::number(p.point.pixel.x), QString::number(p.point.pixel.y),
                                            residual};
        for (int column = 0; column < ColumnCount; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (m_fit && m_fit->farOff[i])
                item->setForeground(kFarOffColour);
            m_table->setItem(static_cast<int>(i), column, item);
        }
    }
}

void AlignMapWindow::applyFit()
{
    if (!m_fit)
        return;
    const ZoneRectangle before = m_currentZone;
    const ZoneRectangle after = m_fit->zone;
    const bool styleFile = m_styleFile->isChecked();
    if (!m_applier(after, styleFile))
        return;
    m_currentZone = after;
    m_undo->push(new AlignApplyCommand(*this, before, after, styleFile));
    emit applied(after);
}
