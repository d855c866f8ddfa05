#include "app/CheckReport.h"

#include "app/PageTarget.h"
#include "mapview/MapPainting.h"
#include "mapview/MarkerLayer.h"
#include "mapview/PoiAnchor.h"
#include "support/TextUtil.h"

#include <QDir>
#include <QMutexLocker>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QTextStream>

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kArrowWidth = 2.0;
constexpr double kArrowHead = 7.0;
constexpr double kArrowHeadAngle = 0.45;  // radians either side of the shaft
constexpr double kArrowEndRadius = 1.5;   // a dot that marks the exact end
constexpr double kFrameWidth = 1.5;
constexpr int kNameSize = 11;
constexpr int kNameGap = 4;
const char* const kIndexName = "index.html";
// Light compression: a report of a whole folder is written in a moment; the files stay small
// enough (about twice the smallest).
constexpr int kPngQuality = 85;

QPointF toQt(ImagePoint point)
{
    return {point.x, point.y};
}

void drawArrow(QPainter& painter, QPointF from, QPointF to)
{
    const QColor colour = QColor::fromRgba(kReportArrowColour);
    painter.setPen(QPen(colour, kArrowWidth, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(from, to);
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const auto barb = [&](double side) {
        return to - QPointF(kArrowHead * std::cos(angle + side), kArrowHead * std::sin(angle + side));
    };
    QPainterPath head;
    head.moveTo(to);
    head.lineTo(barb(-kArrowHeadAngle));
    head.lineTo(barb(kArrowHeadAngle));
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(head);
    painter.drawEllipse(to, kArrowEndRadius, kArrowEndRadius);
}

// The page's outline as `zone` places it, seen through the map's own rectangle.
QPolygonF pageCorners(const EditorState& state, const ZoneRectangle& zone)
{
    EditorState under = state;
    under.ZoneRect = zone;
    QPolygonF corners;
    for (const ImagePoint corner : {ImagePoint{0, 0}, ImagePoint{double(state.PageWidth), 0},
                                    ImagePoint{double(state.PageWidth), double(state.PageHeight)},
                                    ImagePoint{0, double(state.PageHeight)}}) {
        const std::optional<std::pair<double, double>> world = ImagePointToWorld(under, corner);
        const std::optional<ImagePoint> seen = world ? WorldToImagePoint(state, world->first, world->second)
                                                     : std::nullopt;
        if (!seen)
            return {};
        corners << toQt(*seen);
    }
    return corners;
}

void drawFrame(QPainter& painter, const QPolygonF& corners, QRgb colour)
{
    if (corners.isEmpty())
        return;
    painter.setPen(QPen(QColor::fromRgba(colour), kFrameWidth, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(corners);
}

const QPointF kHaloOffsets[] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};

// The kinds of problem as the report's summary names them.
const char* kindName(const PageProblem& problem)
{
    if (problem.mistyped)
        return "mistyped location";
    switch (problem.kind) {
    case ProblemKind::MapImage: return "map image";
    case ProblemKind::NoZone: return "no zone rectangle";
    case ProblemKind::Anchor: return "anchor rule";
    case ProblemKind::ZoneRect: return "zone rectangle";
    case ProblemKind::Property: return "property";
    case ProblemKind::Outside: return "outside the page";
    case ProblemKind::Disagree: return "locations disagree";
    case ProblemKind::Misplaced: return "misplaced";
    case ProblemKind::Duplicate: return "duplicate";
    case ProblemKind::Repeated: return "repeated POI";
    case ProblemKind::RareType: return "rare type";
    case ProblemKind::OffZone: return "off its zone page";
    }
    return "other";
}

// The pages' names relative to the folder they all lie in (the folder checked).
QStringList relativeNames(const QStringList& names)
{
    QStringList absolute;
    for (const QString& name : names) {
        const PageTarget target = SplitPageTarget(name);
        absolute << JoinPageTarget({QFileInfo(target.file).absoluteFilePath(), target.page});
    }
    QString common = absolute.isEmpty() ? QString() : QFileInfo(SplitPageTarget(absolute[0]).file).absolutePath();
    for (const QString& name : absolute)
        while (!common.isEmpty() && !name.startsWith(common + QLatin1Char('/')))
            common = common.contains(QLatin1Char('/')) ? common.left(common.lastIndexOf(QLatin1Char('/'))) : QString();
    if (common.isEmpty())
        return names;
    QStringList relative;
    for (const QString& name : absolute)
        relative << name.mid(common.size() + 1);
    return relative;
}

QString pictureName(int page)
{
    return QStringLiteral("page-%1.png").arg(page);
}

}  // namespace

QImage DrawReportPicture(const QImage& map, const MarkerLayer& markers, const EditorState& state,
                         const std::vector<PageProblem>& problems)
{
    const QSize pageSize(std::max(1, state.PageWidth), std::max(1, state.PageHeight));
    QImage picture(map.isNull() ? pageSize : map.size(), QImage::Format_ARGB32_Premultiplied);
    // Opaque: where the map is see-through the page shows white, as in the editor.
    picture.fill(map.isNull() ? QColor::fromRgba(kReportCanvasColour) : QColor(Qt::white));
    QPainter painter(&picture);
    if (!map.isNull())
        painter.drawImage(QPoint(0, 0), map);
    PaintMarkers(painter, markers, picture.rect(), MapView{}, false);
    painter.setRenderHint(QPainter::Antialiasing);
    // Korean names need a CJK font (Debian's, else the game's own); it reads Latin names as well.
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK KR"), QStringLiteral("굴림")});
    font.setPixelSize(kNameSize);
    painter.setFont(WithSignFonts(font));
    for (const PageProblem& problem : problems) {
        if (problem.fittedZone && HasZoneRect(state.ZoneRect)) {
            drawFrame(painter, pageCorners(state, state.ZoneRect), kReportMapZoneColour);
            drawFrame(painter, pageCorners(state, *problem.fittedZone), kReportFittedZoneColour);
        }
        if (problem.kind != ProblemKind::Misplaced || !problem.point || !problem.worldPoint)
            continue;
        drawArrow(painter, toQt(*problem.point), toQt(*problem.worldPoint));
        // A light halo under the label reads on any map and on the grey canvas.
        const QPointF at = toQt(*problem.point) + QPointF(kNameGap, -kNameGap);
        const QString name = QString::fromStdString(problem.poiName);
        painter.setPen(QColor::fromRgba(kReportHaloColour));
        for (const QPointF& offset : kHaloOffsets)
            painter.drawText(at + offset, name);
        painter.setPen(QColor::fromRgba(kReportArrowColour));
        painter.drawText(at, name);
    }
    painter.end();
    return picture.convertToFormat(QImage::Format_RGB32);
}

CheckReport::CheckReport(QString folder) : m_folder(std::move(folder))
{
    // One writer beside the check; more would only queue up behind it on a small machine.
    m_writers.setMaxThreadCount(1);
    if (!QDir().mkpath(m_folder))
        m_failures << m_folder;
}

void CheckReport::addPage(const QString& name, const QStringList& lines, const QImage& picture,
                          const std::vector<PageProblem>& problems)
{
    ++m_pages;
    for (const PageProblem& problem : problems)
        ++m_kinds[kindName(problem)];
    Section section{name, m_pages, static_cast<int>(problems.size()), QString()};
    QString& body = section.body;
    body += QStringLiteral("<pre>%1</pre>\n").arg(lines.join(QLatin1Char('\n')).toHtmlEscaped());
    // A page that could not be read has no picture: its line says why.
    if (!picture.isNull()) {
        const QString file = pictureName(m_pages);
        // Encoding a PNG takes longer than checking a page: it runs beside the next pages.
        m_writers.start([this, path = QDir(m_folder).filePath(file), picture]() {
            QSaveFile out(path);
            if (!out.open(QIODevice::WriteOnly) || !picture.save(&out, "PNG", kPngQuality) || !out.commit()) {
                const QMutexLocker locked(&m_failuresLock);
                m_failures << path;
            }
        });
        body += QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\" alt=\"%4\">\n")
                          .arg(file)
                          .arg(picture.width())
                          .arg(picture.height())
                          .arg(name.toHtmlEscaped());
    }
    body += QStringLiteral("</section>\n");
    m_sections.push_back(std::move(section));
}

CheckReport::~CheckReport()
{
    m_writers.waitForDone();
}

bool CheckReport::finish(const QString& summary, QTextStream& err)
{
    m_writers.waitForDone();
    // The kinds of problem first, then the pages with most problems, each linked to its section.
    QString top;
    if (!m_kinds.empty()) {
        top += QStringLiteral("<table>\n");
        for (const auto& [kind, count] : m_kinds)
            top += QStringLiteral("<tr><td>%1</td><td>%2</td></tr>\n").arg(QString::fromStdString(kind)).arg(count);
        top += QStringLiteral("</table>\n");
    }
    std::vector<Section> pages = m_sections;
    std::stable_sort(pages.begin(), pages.end(),
                     [](const Section& a, const Section& b) { return a.problems > b.problems; });
    QStringList names;
    for (const Section& page : pages)
        names << page.name;
    const QStringList shown = relativeNames(names);
    QString contents = QStringLiteral("<ul>\n");
    QString sections;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const QString name = shown[int(i)].toHtmlEscaped();
        const QString count = QString::fromStdString(CountText(pages[i].problems, "problem", "problems"));
        contents += QStringLiteral("<li><a href=\"#page-%1\">%2</a>: %3</li>\n").arg(pages[i].id).arg(name, count);
        sections += QStringLiteral("<section id=\"page-%1\">\n<h2>%2</h2>\n").arg(pages[i].id).arg(name) + pages[i].body;
    }
    contents += QStringLiteral("</ul>\n");
    const QString html = QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
                                        "<title>Page check</title>\n<style>body { font-family: sans-serif; } "
                                        "pre { white-space: pre-wrap; }</style>\n</head>\n<body>\n"
                                        "<h1>Page check</h1>\n<p>%1</p>\n%2</body>\n</html>\n")
                             .arg(summary.toHtmlEscaped(), top + contents + sections);
    QSaveFile out(QDir(m_folder).filePath(QLatin1String(kIndexName)));
    const QByteArray bytes = html.toUtf8();
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        m_failures << out.fileName();
    for (const QString& failure : m_failures)
        err << "report: cannot write " << failure << "\n";
    err.flush();
    return m_failures.isEmpty();
}
