#include "app/MainWindow.h"

#include "app/Configuration.h"
#include "app/ElidedLabel.h"
#include "app/IconPageEditor.h"
#include "document/PoiTreeModel.h"
#include "document/PoiTypes.h"
#include "mapview/MapImage.h"
#include "mapview/MapPanel.h"
#include "support/GamePath.h"
#include "support/ProfileFile.h"
#include "tools/POIPost1.h"
#include "tools/help.h"
#include "tools/ZoneList.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QStatusBar>
#include <QTimer>
#include <QTreeView>

#include <climits>

namespace {

constexpr int kClientWidth = 767;
constexpr int kClientHeight = 537;
constexpr int kStatusBarHeight = 19;
constexpr int kMapPanelWidth = 519;
constexpr int kPanelHeight = kClientHeight - kStatusBarHeight;
constexpr int kFieldHeight = 20;
constexpr int kLabel5Width = 190;  // wide enough for a zone text such as -12345,-12345,12345,12345
constexpr int kTreeIndent = 19;
constexpr int kApplyDelayMs = 1000;
const char* const kPageFolder = "vynmap/";
constexpr int kAutoCalcPanel = 4;

struct ActionRow {
    const char* name;
    const char* shortcut;  // empty: none
    bool enabled;
    bool checkable;
    bool checked;
};

const ActionRow kActionRows[] = {
    {"FileOpen", "Ctrl+O", true, false, false},
    {"FileOpenZone", "Ctrl+L", true, false, false},
    {"FileSave", "Ctrl+S", true, false, false},
    {"FileSaveAs", "Ctrl+A", true, false, false},
    {"FileMAP", "Ctrl+M", true, false, false},
    {"FileExit", "Ctrl+X", true, false, false},
    {"FileSaveBOM", "", true, true, true},
    {"FileSaveARR", "", true, true, false},
    {"MAPADD", "", false, false, false},
    {"MAPDEL", "", true, false, false},
    {"MAPPOI", "", false, false, false},
    {"MAPLOCAUTO", "", true, true, false},
    {"MapAddZonerect", "", true, false, false},
    {"MAPNAMES", "", true, true, false},
};

struct StatusPanelRow {
    int width;
    Qt::Alignment alignment;
    bool lowered;
};

const StatusPanelRow kStatusPanels[] = {
    {150, Qt::AlignLeft | Qt::AlignVCenter, true},
    {80, Qt::AlignCenter, true},
    {160, Qt::AlignCenter, true},
    {50, Qt::AlignLeft | Qt::AlignVCenter, false},
    {90, Qt::AlignCenter, true},
    {50, Qt::AlignLeft | Qt::AlignVCenter, true},
};

template <typename W>
W* place(W* widget, const char* name, int x, int y, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(x, y, width, height);
    return widget;
}

QLabel* placeLabel(QWidget* parent, const char* name, int x, int y)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    return label;
}

// A text field whose own editing keys must win over the window's shortcuts (Ctrl+X is Exit,
// Ctrl+A is Save As): cutting text must never close the editor.
bool isTextField(QObject* object)
{
    return qobject_cast<QLineEdit*>(object) || qobject_cast<QPlainTextEdit*>(object)
        || qobject_cast<QAbstractSpinBox*>(object);
}

// Both redo keys of the Edit menu, whichever of them the platform counts as its redo.
bool isRedoKey(QKeyEvent* key)
{
    const QKeyCombination pressed = key->keyCombination();
    return pressed == QKeyCombination(Qt::ControlModifier, Qt::Key_Y)
        || pressed == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
}

bool isFieldEditingKey(QKeyEvent* key)
{
    const QKeyCombination pressed = key->keyCombination();
    if (pressed == QKeyCombination(Qt::Key_Delete) || pressed == QKeyCombination(Qt::Key_Escape))
        return true;
    return key->matches(QKeySequence::Cut) || key->matches(QKeySequence::SelectAll)
        || key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste)
        || key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo)
        || isRedoKey(key);
}

QString autoCalcStatusText(bool autoCalc)
{
    return autoCalc ? QStringLiteral("AutoCalc") : QString();
}

} // namespace

TForm1::TForm1(const QString& configPath, Prompts* prompts, QWidget* parent)
    : QMainWindow(parent), m_configPath(configPath)
{
    setObjectName(QStringLiteral("TForm1"));
    if (!prompts) {
        m_ownedPrompts = std::make_unique<WidgetPrompts>(this);
        prompts = m_ownedPrompts.get();
    }
    m_prompts = prompts;

    createControls();
    createActions();
    createMenus();
    createStatusBar();
    FormCreate();
    connectHandlers();
    createPackActions();

    // The described size is the smallest; a larger window gives the map and the tree more room.
    const QSize described(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    setMinimumSize(described);
    resize(described);
    setAcceptDrops(true);
}

TForm1::~TForm1()
{
    FormDestroy();
}

void TForm1::createControls()
{
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("ClientArea"));
    central->setMinimumSize(kClientWidth, kPanelHeight);
    m_laidOut = QSize(kClientWidth, kPanelHeight);
    setCentralWidget(central);

    m_ui.Panel1 = place(new MapPanel(central), "Panel1", 0, 0, kMapPanelWidth, kPanelHeight);

    Panel2 = place(new QWidget(central), "Panel2", kMapPanelWidth, 0, kClientWidth - kMapPanelWidth,
                   kPanelHeight);

    m_ui.FlatEdit2 = place(new QLineEdit(Panel2), "FlatEdit2", 8, 6, 225, kFieldHeight);
    m_ui.FlatEdit2->setReadOnly(true);
    m_ui.FlatEdit4 = place(new QLineEdit(Panel2), "FlatEdit4", 8, 28, 225, kFieldHeight);
    m_ui.FlatEdit4->setReadOnly(true);

    m_ui.TreeView1 = place(new QTreeView(Panel2), "TreeView1", 8, 50, 225, 208);
    m_ui.TreeView1->setHeaderHidden(true);
    m_ui.TreeView1->setIndentation(kTreeIndent);
    m_ui.TreeView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_ui.TreeView1->setSelectionMode(QAbstractItemView::SingleSelection);

    Label1 = placeLabel(Panel2, "Label1", 6, 268);
    m_ui.ed_locX = place(new QSpinBox(Panel2), "ed_locX", 48, 264, 81, kFieldHeight + 1);
    m_ui.ed_locY = place(new QSpinBox(Panel2), "ed_locY", 152, 264, 81, kFieldHeight + 1);
    for (QSpinBox* spin : {m_ui.ed_locX, m_ui.ed_locY})
        spin->setRange(INT_MIN, INT_MAX);

    Label3 = placeLabel(Panel2, "Label3", 6, 291);
    m_ui.cb_icontype = place(new QComboBox(Panel2), "cb_icontype", 48, 286, 185, kFieldHeight + 1);
    for (const char* type : kPoiTypes)
        m_ui.cb_icontype->addItem(QLatin1String(type));
    m_ui.cb_icontype->setCurrentIndex(-1);

    Label2 = placeLabel(Panel2, "Label2", 6, 313);
    m_ui.FlatEdit3 = place(new QLineEdit(QStringLiteral("Name"), Panel2), "FlatEdit3", 47, 309, 186,
                      kFieldHeight);

    m_ui.Label5 = place(new QLabel(Panel2), "Label5", 50, 330, kLabel5Width, kFieldHeight - 4);
    m_ui.Label5->setText(QStringLiteral("0, 0, 0"));

    Label4 = placeLabel(Panel2, "Label4", 6, 350);
    m_ui.FlatEdit1 = place(new QLineEdit(QStringLiteral("pathfindlocation"), Panel2), "FlatEdit1", 48, 346,
                      185, kFieldHeight);

    m_ui.FlatMemo1 = place(new QPlainTextEdit(QStringLiteral("Tooltip"), Panel2), "FlatMemo1", 6, 370, 236,
                      142);
    m_ui.FlatMemo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_ui.FlatMemo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_ui.FlatMemo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_ui.FlatMemo1->setTabChangesFocus(true);
    m_ui.FlatEdit5 = place(new QLineEdit(Panel2), "FlatEdit5", 6, 370 + 142 - kFieldHeight, 236, kFieldHeight);
    m_ui.FlatEdit5->hide();

    const QList<QWidget*> tabOrder = {m_ui.FlatEdit2, m_ui.FlatEdit4, m_ui.TreeView1, m_ui.ed_locX, m_ui.ed_locY,
                                      m_ui.cb_icontype, m_ui.FlatEdit3, m_ui.FlatMemo1, m_ui.FlatEdit1,
                                      m_ui.FlatEdit5};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    m_ui.Timer1 = new QTimer(this);
    m_ui.Timer1->setObjectName(QStringLiteral("Timer1"));
    m_ui.Timer1->setSingleShot(true);
    m_ui.Timer1->setInterval(kApplyDelayMs);
}

void TForm1::createActions()
{
    for (const ActionRow& row : kActionRows) {
        auto* act = new QAction(this);
        act->setObjectName(QLatin1String(row.name));
        if (*row.shortcut)
            act->setShortcut(QKeySequence(QLatin1String(row.shortcut)));
        act->setCheckable(row.checkable);
        act->setChecked(row.checked);
        act->setEnabled(row.enabled);
        m_actions << act;
    }
    addActions(m_actions);
}

QAction* TForm1::action(const QString& name) const
{
    for (QAction* act : m_actions) {
        if (act->objectName() == name)
            return act;
    }
    return name == QLatin1String("Help1") ? Help1 : nullptr;
}

QLabel* TForm1::statusPanel(int index) const
{
    return m_statusPanels.value(index);
}

void TForm1::createMenus()
{
    struct MenuRow {
        const char* name;
        QStringList items;  // empty string: separator
    };
    const MenuRow rows[] = {
        {"N1", {"FileOpen", "FileOpenZone", "FileSave", "FileSaveAs", "", "FileMAP", "", "FileExit"}},
        {"N5", {"MAPADD", "MAPDEL", "MAPPOI", "", "MAPLOCAUTO", "MapAddZonerect"}},
        {"N12", {"FileSaveBOM", "FileSaveARR", "MAPNAMES"}},
    };
    for (const MenuRow& row : rows) {
        QMenu* menu = menuBar()->addMenu(QString());
        menu->setObjectName(QLatin1String(row.name));
        for (const QString& item : row.items) {
            if (item.isEmpty())
                menu->addSeparator();
            else
                menu->addAction(action(item));
        }
        m_menus << menu;
    }
    createEditMenu();
    createViewMenu();
    createGroupActions();
    createRecentMenu();
    createZonePageAction();
    createCheckActions();
    createAlignActions();
    // A menu without items: choosing it runs the command at once.
    Help1 = menuBar()->addAction(QString());
    Help1->setObjectName(QStringLiteral("Help1"));
}

void TForm1::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    bar->setFixedHeight(kStatusBarHeight);
    int index = 0;
    for (const StatusPanelRow& row : kStatusPanels) {
        // The first panel carries long notices (a missing map's paths): it elides them.
        QLabel* panel = index == 0 ? new ElidedLabel(bar) : new QLabel(bar);
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(index++));
        panel->setFixedWidth(row.width);
        panel->setAlignment(row.alignment);
        panel->setFrameStyle(row.lowered ? (QFrame::Panel | QFrame::Sunken) : QFrame::NoFrame);
        bar->addWidget(panel);
        m_statusPanels << panel;
    }
}

void TForm1::applyLanguage()
{
    setFont(languageFont(m_language));
    if (m_language != Language::Korean)
        m_state.WriteBom = false;
    setWindowTitle(caption(m_language, "TForm1"));
    for (QAction* act : m_actions)
        act->setText(caption(m_language, act->objectName().toLatin1().constData()));
    action(QStringLiteral("MAPPOI"))->setText(postPoiCaption(m_language, m_poiUrl));
    for (QMenu* menu : m_menus)
        menu->setTitle(caption(m_language, menu->objectName().toLatin1().constData()));
    Help1->setText(caption(m_language, "Help1"));
    for (QLabel* label : {Label1, Label2, Label3, Label4})
        label->setText(caption(m_language, label->objectName().toLatin1().constData()));
    for (QLabel* label : {Label1, Label2, Label3, Label4})
        label->adjustSize();
}

void TForm1::FormCreate()
{
    m_state = EditorState{};
    m_language = systemLanguage();
    const std::string iniPath = m_configPath.toStdString();
    {
        // The submission address names the fan site in two captions.
        const ProfileFile profile = ConfigurationProfile(iniPath);
        m_poiUrl = QString::fromStdString(
            profile.readString(Config::kConfigSection, Config::kPoiUrlKey, Config::kDefaultPoiUrl));
    }
    applyLanguage();
    action(QStringLiteral("FileSaveBOM"))->setChecked(m_state.WriteBom);
    ConfigureFolders(m_state, QCoreApplication::applicationFilePath().toStdString(), iniPath);
    m_ui.Panel1->setEditorState(&m_state);

    m_ui.window = this;
    m_ui.MAPADD = action(QStringLiteral("MAPADD"));
    m_ui.MAPNAMES = action(QStringLiteral("MAPNAMES"));
    m_ui.MAPLOCAUTO = action(QStringLiteral("MAPLOCAUTO"));
    m_editor = new IconPageEditor(m_state, *m_prompts, m_ui, this);
}

void TForm1::FormDestroy()
{
    m_state.ZoneRectTable.clear();
}

void TForm1::connectHandlers()
{
    connect(action(QStringLiteral("FileExit")), &QAction::triggered, this, &TForm1::FileExitExecute);
    connect(action(QStringLiteral("FileSaveBOM")), &QAction::triggered, this,
            &TForm1::FileSaveBOMExecute);
    connect(action(QStringLiteral("FileSaveARR")), &QAction::triggered, this,
            &TForm1::FileSaveARRExecute);
    connect(Help1, &QAction::triggered, this, &TForm1::Help1Click);
    connect(action(QStringLiteral("MAPPOI")), &QAction::triggered, this, &TForm1::MAPPOIExecute);
    connect(action(QStringLiteral("FileOpen")), &QAction::triggered, this,
            [this]() { FileOpenExecute(QStringLiteral("FileOpen")); });
    connect(action(QStringLiteral("FileOpenZone")), &QAction::triggered, this,
            [this]() { FileOpenExecute(QStringLiteral("FileOpenZone")); });
    connect(action(QStringLiteral("FileSave")), &QAction::triggered, this,
            [this]() { FileSaveExecute(QStringLiteral("FileSave")); });
    connect(action(QStringLiteral("FileSaveAs")), &QAction::triggered, this,
            [this]() { FileSaveExecute(QStringLiteral("FileSaveAs")); });
    connect(action(QStringLiteral("FileMAP")), &QAction::triggered, this, &TForm1::FileMAPExecute);
    connect(action(QStringLiteral("MAPLOCAUTO")), &QAction::triggered, this,
            &TForm1::MAPLOCAUTOExecute);
    connectEditingTools();
    connectViewHandlers();
    connectGroupHandlers();
    connectLinkHandlers();
    connectUndoHandlers();
    connectCheckHandlers();
    connectDiskHandlers();
    connectAlignHandlers();

    connect(m_ui.Panel1, &MapPanel::markerPressed, m_editor, &IconPageEditor::SelectPoi);
    connect(m_ui.Panel1, &MapPanel::markerDragged, this,
            [this](int, QPoint location) { m_editor->LocationDragged(location.x(), location.y()); });
    connect(m_ui.Panel1, &MapPanel::statusTextsChanged, this,
            [this](const QString& position, const QString& world) {
                statusPanel(1)->setText(position);
                statusPanel(2)->setText(world);
            });

    if (QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(thread()))
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, &TForm1::updateActions);
    // And once now: on a busy machine the loop may not go idle before the menus are used.
    updateActions();
    qApp->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType())
        shareUndoKeys(static_cast<QWidget*>(watched));
    if (event->type() == QEvent::Resize && watched == centralWidget())
        layOutGrown(centralWidget()->size());
    if (event->type() == QEvent::ShortcutOverride && isTextField(watched)
        && isFieldEditingKey(static_cast<QKeyEvent*>(event))) {
        event->accept();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::updateActions()
{
    MAPDELUpdate();
    MAPPOIUpdate();
    MAPLOCAUTOUpdate();
    FileSaveBOMUpdate();
    FileSaveARRUpdate();
    FileZonePageUpdate();
    updateUndoActions();
    OptionTopLeftUpdate();
    MapAlignUpdate();
}

void TForm1::MAPDELUpdate()
{
    action(QStringLiteral("MAPDEL"))->setEnabled(m_ui.TreeView1->currentIndex().isValid());
}

void TForm1::MAPPOIUpdate()
{
    const QModelIndex node = m_ui.TreeView1->currentIndex();
    action(QStringLiteral("MAPPOI"))->setEnabled(node.isValid() && !PoiTreeModel::isValueNode(node) && m_state.DocLoaded);
}

void TForm1::MAPLOCAUTOUpdate()
{
    QAction* act = action(QStringLiteral("MAPLOCAUTO"));
    const auto& rect = m_state.ZoneRect;
    const bool hasZone = rect[0] != 0 || rect[1] != 0 || rect[2] != 0 || rect[3] != 0;
    act->setEnabled(hasZone);
    if (!hasZone)
        m_state.AutoCalc = false;
    act->setChecked(m_state.AutoCalc);
    // Opening a page or losing the zone switches AutoCalc off behind the command's back.
    statusPanel(kAutoCalcPanel)->setText(autoCalcStatusText(m_state.AutoCalc));
}

void TForm1::FileSaveBOMUpdate()
{
    action(QStringLiteral("FileSaveBOM"))->setChecked(m_state.WriteBom);
}

void TForm1::FileSaveARRUpdate()
{
    action(QStringLiteral("FileSaveARR"))->setChecked(m_state.RearrangeOnSave);
}

void TForm1::FileSaveBOMExecute()
{
    // The checkable action has already toggled its mark.
    m_state.WriteBom = action(QStringLiteral("FileSaveBOM"))->isChecked();
}

void TForm1::FileSaveARRExecute()
{
    m_state.RearrangeOnSave = action(QStringLiteral("FileSaveARR"))->isChecked();
}

void TForm1::FileOpenExecute(const QString& actionName)
{
    if (actionName == QLatin1String("FileOpenZone")) {
        FileOpenZoneExecute();
        return;
    }
    const QString folder = QString::fromStdString(GamePath::resolve(m_state.BaseFolder, kPageFolder));
    FileDialogOptions options;
    options.title = QStringLiteral("Open File");
    // The icon pages first, as described; then the other files of POIs the editor opens.
    options.filter = QStringLiteral("Map icon Files (icons_*.xml);;"
                                    "Map window and POI files (*.xml);;"
                                    "All files (*)");
    options.defaultSuffix = QStringLiteral("xml");
    if (GamePath::folderExists(folder.toStdString()))
        options.initialFolder = folder;
    const QString chosen = m_prompts->openFileName(options);
    if (!chosen.isEmpty())
        openPageAsked(chosen);
}

void TForm1::FileOpenZoneExecute()
{
    const std::string folder = PageFolder(m_state.BaseFolder);
    TForm7 dialog(this);
    dialog.setFolder(folder);
    if (dialog.exec() == QDialog::Accepted)
        openPageAsked(QString::fromStdString(folder + dialog.chosenFile()));
}

void TForm1::FileSaveExecute(const QString& actionName)
{
    if (!mistypedSaveAllowed())
        return;
    const std::string before = m_state.CurrentFile;
    const bool saved = m_editor->FileSaveExecute(actionName == QLatin1String("FileSaveAs"));
    if (saved)
        m_pack.reset();  // the pack's types may have changed
    // Saved under another name: that file is the open one, File > Recent lists it, and it keeps
    // the page's anchor rule.
    if (saved && m_state.CurrentFile != before) {
        rememberRecentPage(openPageName());
        if (anchorIsChosen())
            keepPageAnchor();
    }
}

void TForm1::FileMAPExecute()
{
    if (const std::optional<QImage> image = runFileMapCommand(m_state, *m_prompts)) {
        m_ui.Panel1->setMapImage(mapDisplayImage(*image, pageMapArea(m_state)));
        mapChosen();
    }
}

void TForm1::MAPLOCAUTOExecute()
{
    // The checkable action has already inverted its mark.
    m_state.AutoCalc = action(QStringLiteral("MAPLOCAUTO"))->isChecked();
    statusPanel(kAutoCalcPanel)->setText(autoCalcStatusText(m_state.AutoCalc));
}

void TForm1::FileExitExecute()
{
    close();
}

void TForm1::Help1Click()
{
    // The About window matters too little to bother the user with a failure to show it.
    try {
        TForm5 about(this);
        about.exec();
    } catch (...) {
    }
}

void TForm1::MAPPOIExecute()
{
    const QModelIndex node = m_ui.TreeView1->currentIndex();
    if (!node.isValid() || PoiTreeModel::isValueNode(node))
        return;
    // The index, not the node: applying pending edits below can move the node.
    const int poiIndex = PoiTreeModel::poiOf(node);
    // The dialog reads the page: edits still waiting for the apply timer belong in it.
    if (m_state.EditsPending) {
        m_ui.Timer1->stop();
        m_editor->ApplyData();
    }
    PoiPostSettings settings;
    settings.configPath = m_configPath;
    settings.endpoint = m_poiUrl;
    if (!m_editor->source().offers(PageFeature::OwnZoneName)) {
        // The location name the zone name field shows, else the zone page's own name.
        const QString location = m_ui.FlatEdit4->text();
        settings.zoneName = location.isEmpty() ? m_state.PageName : location.toStdString();
    }
    settings.typeProperty = m_editor->source().typeProperty();
    OpenPoiSubmission(this, m_editor->xmlscan(), poiIndex, settings, *m_prompts);
}
