#include "MainUnit.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCollator>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <numeric>

#include "HexEditor.h"
#include "MessageService.h"
#include "ObjectDispatch.h"
#include "PRPForms.h"
#include "PRP_VCL.h"
#include "Registry.h"
#include "unitTEmpty.h"
#include "unitTUnknown.h"

TMainForm* MainForm = nullptr;

namespace {

// A child frame paints its title bar from what it held before a resize until a while after it, and nothing
// paints it anew once that while is over where the window system sends no expose of its own (Wayland): an
// icon or caption set meanwhile, as a viewer sets them when it has sized itself, would stay unseen. The
// frame is painted again once the while is over.
class TitleBarRepaint : public QObject {
public:
    explicit TitleBarRepaint(QMdiSubWindow* frame) : QObject(frame) {
        timer_.setSingleShot(true);
        timer_.setInterval(250);
        connect(&timer_, &QTimer::timeout, frame, [frame] { frame->update(); });
        frame->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) timer_.start();
        return false;
    }

private:
    QTimer timer_{this};
};

const QString kRegistryKey = QStringLiteral("Software\\Kestrum");
constexpr int kKindRole = Qt::UserRole;
constexpr int kDataRole = Qt::UserRole + 1;

QTreeWidgetItem* makeNode(TNodeKind kind, const QString& text, int icon) {
    auto* node = new QTreeWidgetItem(QStringList{text});
    node->setData(0, kKindRole, int(kind));
    node->setIcon(0, TreeImages().Icon(icon));
    return node;
}

void attach(QTreeWidget* tree, QTreeWidgetItem* parent, QTreeWidgetItem* node) {
    if (parent) {
        parent->addChild(node);
    } else {
        tree->addTopLevelItem(node);
    }
}

// The tree's text order: the user's locale-aware comparison. Under the bare C locale, which collates by
// code point, the order of US English stands in, as a desktop user would expect it.
QCollator& textCollator() {
    static QCollator collator = [] {
        const QLocale system = QLocale::system();
        QCollator c(system.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates)
                                                    : system);
        return c;
    }();
    return collator;
}

// Sorts nodes by text in place: collation keys once per node, then a stable sort on them.
void sortNodes(QList<QTreeWidgetItem*>& nodes) {
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(nodes.size()));
    for (QTreeWidgetItem* node : nodes)
        keys.push_back(textCollator().sortKey(node->text(0)));
    std::vector<size_t> order(size_t(nodes.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return keys[a].compare(keys[b]) < 0; });
    QList<QTreeWidgetItem*> sorted;
    sorted.reserve(nodes.size());
    for (size_t i : order)
        sorted.append(nodes[qsizetype(i)]);
    nodes.swap(sorted);
}

void sortTopLevel(QTreeWidget* tree) {
    QList<QTreeWidgetItem*> nodes;
    while (tree->topLevelItemCount() > 0)
        nodes.append(tree->takeTopLevelItem(0));
    sortNodes(nodes);
    tree->addTopLevelItems(nodes);
}

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// The screen that holds the largest part of the rectangle, else the fallback, else the primary screen.
QScreen* screenHolding(const QRect& rect, QScreen* fallback) {
    QScreen* best = nullptr;
    qint64 bestArea = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect common = screen->geometry() & rect;
        const qint64 area = qint64(common.width()) * common.height();
        if (area > bestArea) {
            best = screen;
            bestArea = area;
        }
    }
    if (best) return best;
    return fallback ? fallback : QGuiApplication::primaryScreen();
}

TPRPFileHeader readHeader(const QString& path) {
    TPlasmaFileStream stream(localPath(path), TFileMode::fmOpenRead);
    stream.ReadPageHeader();
    return stream.Header;
}

} // namespace

// ---- Construction

TMainForm::TMainForm(const QString& commandLineFile, QWidget* parent)
    : QMainWindow(parent), PRPTreeImages(TreeImages()) {
    MainForm = this;
    SetViewerHost(this);
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Kestrum"));
    resize(1024, 720);
    const QString unkeptSettings = GuardSettingsFiles();
    createActions();
    createMenus();
    createControls();
    TCustomPRPObjectForm::SetChildHost([this](TCustomPRPObjectForm* form) { return AddChildForm(form); });
    setHexErrorHandler([](QWidget*, const QString& message) {
        MessageDlg(message, TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
    });
    if (!unkeptSettings.isEmpty()) MessageDlg(unkeptSettings, TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
    startUp(commandLineFile);
}

TMainForm::~TMainForm() {
    // Viewers and tree nodes point into the page lists: both go before the lists do.
    MdiArea->closeAllSubWindows();
    for (QMdiSubWindow* window : MdiArea->subWindowList())
        delete window;
    PRPTree->clear();
    TCustomPRPObjectForm::SetChildHost({});
    ClearClassTables();
    if (ViewerHost() == this) SetViewerHost(nullptr);
    if (MainForm == this) MainForm = nullptr;
}

void TMainForm::startUp(const QString& commandLineFile) {
    ProgramDir = QCoreApplication::applicationDirPath();
    if (!ProgramDir.endsWith(QChar('/'))) ProgramDir += QChar('/');
    try {
        ClearClassTables();
        LoadClassTables(localPath(ProgramDir));
        BaseCaption = windowTitle();
        QGuiApplication::setApplicationDisplayName(BaseCaption);
        if (!commandLineFile.isEmpty()) {
            const TFileKind kind = FileKindOf(localPath(commandLineFile));
            if (kind == TFileKind::Regular) {
                OpenPRPFile(commandLineFile);
            } else if (kind == TFileKind::Missing) {
                MessageDlg(QStringLiteral("ERROR: File \"") + commandLineFile +
                               QStringLiteral("\" not found!"),
                           TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
            } else {
                MessageDlg(QString::fromStdString(NotRegularFileMessage(commandLineFile.toStdString(), kind)),
                           TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
            }
        }
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TMainForm::createActions() {
    auto make = [this](QAction*& action, const char* name, const QString& caption, bool enabled = true) {
        action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(enabled);
        return action;
    };
    auto guarded = [this](QAction* action, void (TMainForm::*slot)()) {
        connect(action, &QAction::triggered, this,
                [this, slot] { Guarded([this, slot] { (this->*slot)(); }); });
    };
    guarded(make(FileNewPRP, "FileNewPRP", QStringLiteral("&New PRP File...")),
            &TMainForm::FileNewPRPExecute);
    guarded(make(FileOpenPRP, "FileOpenPRP", QStringLiteral("&Open PRP File")),
            &TMainForm::FileOpenPRPExecute);
    FileOpenPRP->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    guarded(make(FileOpenAge, "FileOpenAge", QStringLiteral("Open &Age...")), &TMainForm::FileOpenAgeExecute);
    make(FileClose, "FileClose", QStringLiteral("&Close"), false);
    make(FileExit, "FileExit", QStringLiteral("E&xit"), false);
    make(ToolsExtractPRP, "ToolsExtractPRP", QStringLiteral("&Extract PRP..."));
    guarded(make(ToolsStringConv, "ToolsStringConv", QStringLiteral("&String Converter")),
            &TMainForm::ToolsStringConvExecute);
    ToolsStringConv->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    guarded(make(ToolsConvert, "ToolsConvert", QStringLiteral("Export to &UU format")),
            &TMainForm::ToolsConvertExecute);

    make(ShowLocals, "ShowLocals", QStringLiteral("Local Shared PRPs"))->setCheckable(true);
    make(ShowAge, "ShowAge", QStringLiteral("All Age PRPs"))->setCheckable(true);
    make(ShowGlobals, "ShowGlobals", QStringLiteral("Global PRPs"))->setCheckable(true);

    // Edit tells only what opens nothing, not the failure of a viewer already open; its handler does so.
    make(prpMenuEdit, "prpMenuEdit", QStringLiteral("&Edit"));
    connect(prpMenuEdit, &QAction::triggered, this, [this] { prpMenuEditExecute(); });
    guarded(make(prpMenuHexView, "prpMenuHexView", QStringLiteral("&HexView")),
            &TMainForm::prpMenuHexViewExecute);
    guarded(make(prpMenuSave, "prpMenuSave", QStringLiteral("&Save...")), &TMainForm::prpMenuSaveExecute);
    make(prpMenuSaveAll, "prpMenuSaveAll", QStringLiteral("Sa&ve All..."), false);
    make(prpMenuInsert, "prpMenuInsert", QStringLiteral("Inser&t..."), false);
    make(prpMenuReplace, "prpMenuReplace", QStringLiteral("&Replace..."), false);
    guarded(make(prpMenuExport, "prpMenuExport", QStringLiteral("E&xport...")),
            &TMainForm::prpMenuExportExecute);
    make(prpMenuExportAll, "prpMenuExportAll", QStringLiteral("Export &All..."), false);
    make(prpMenuImport, "prpMenuImport", QStringLiteral("&Import..."), false);
    make(prpMenuDelete, "prpMenuDelete", QStringLiteral("&Delete"), false);
    make(prpMenuDeleteAll, "prpMenuDeleteAll", QStringLiteral("De&lete All..."), false);
    make(prpMenuRename, "prpMenuRename", QStringLiteral("Re&name"), false);
    guarded(make(prpMenuProperties, "prpMenuProperties", QStringLiteral("&Properties...")),
            &TMainForm::prpMenuPropertiesExecute);

    make(WindowClose, "WindowClose", QStringLiteral("C&lose"));
    WindowClose->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    make(WindowTileHorizontal, "WindowTileHorizontal", QStringLiteral("Tile &Horizontally"));
    make(WindowTileVertical, "WindowTileVertical", QStringLiteral("&Tile Vertically"));
    make(WindowCascade, "WindowCascade", QStringLiteral("&Cascade"));
    make(WindowArrange, "WindowArrange", QStringLiteral("&Arrange"));
    make(WindowMinimizeAll, "WindowMinimizeAll", QStringLiteral("&Minimize All"));
}

void TMainForm::createMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("File1"));
    file->addActions({FileNewPRP, FileOpenPRP, FileOpenAge, FileClose});
    file->addSeparator();
    file->addAction(FileExit);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("&Tools"));
    tools->setObjectName(QStringLiteral("Tools1"));
    tools->addActions({ToolsExtractPRP, ToolsStringConv});
    // Convert has no menu entry; keep its shortcut-less action reachable only by code.
    addAction(ToolsConvert);

    QMenu* window = menuBar()->addMenu(QStringLiteral("&Window"));
    window->setObjectName(QStringLiteral("Window1"));
    window->addAction(WindowClose);
    window->addSeparator();
    window->addActions({WindowTileHorizontal, WindowTileVertical, WindowCascade});
    window->addSeparator();
    window->addActions({WindowArrange, WindowMinimizeAll});

    PRPPopup = new QMenu(this);
    PRPPopup->setObjectName(QStringLiteral("PRPPopup"));
    PRPPopup->addActions({prpMenuEdit, prpMenuHexView});
    PRPPopup->addSeparator();
    PRPPopup->addActions({prpMenuSave, prpMenuSaveAll, prpMenuInsert, prpMenuReplace});
    PRPPopup->addSeparator();
    PRPPopup->addActions({prpMenuExport, prpMenuExportAll, prpMenuImport});
    PRPPopup->addSeparator();
    PRPPopup->addActions({prpMenuDelete, prpMenuDeleteAll, prpMenuRename});
    PRPPopup->addSeparator();
    PRPPopup->addAction(prpMenuProperties);
    PRPPopup->setDefaultAction(prpMenuEdit);
}

void TMainForm::createControls() {
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));

    auto* left = new QWidget(splitter);
    left->setObjectName(QStringLiteral("TreePanel"));
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);

    PRPTree = new QTreeWidget(left);
    PRPTree->setObjectName(QStringLiteral("PRPTree"));
    PRPTree->setHeaderHidden(true);
    PRPTree->setColumnCount(1);
    PRPTree->setUniformRowHeights(true);
    // A name wider than the tree is shown whole and scrolled to sideways: the column is as wide as the
    // widest row that came into view, and never narrower than the view, so that every row (its highlight,
    // its clicks) reaches the tree's right edge. Measuring only the rows in view keeps a page of many
    // thousand objects as quick to load and expand; the widest name only grows until the next load, so the
    // column neither jumps while the user scrolls nor flickers as its own scroll bar hides the last row.
    PRPTree->header()->setStretchLastSection(false);
    PRPTree->header()->setResizeContentsPrecision(0);
    PRPTree->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    treeColumnTimer_ = new QTimer(PRPTree);
    treeColumnTimer_->setSingleShot(true);
    connect(treeColumnTimer_, &QTimer::timeout, PRPTree, [this] {
        PRPTree->resizeColumnToContents(0);
        treeNamesWidth_ = std::max(treeNamesWidth_, PRPTree->columnWidth(0));
        const int wanted = std::max(treeNamesWidth_, PRPTree->viewport()->width());
        if (PRPTree->columnWidth(0) != wanted) PRPTree->setColumnWidth(0, wanted);
    });
    connect(PRPTree->verticalScrollBar(), &QScrollBar::valueChanged, treeColumnTimer_,
            qOverload<>(&QTimer::start));
    connect(PRPTree->verticalScrollBar(), &QScrollBar::rangeChanged, treeColumnTimer_,
            qOverload<>(&QTimer::start));
    // A node opened in a tree too short to scroll changes no scroll bar, and brings rows into view all the
    // same.
    connect(PRPTree, &QTreeWidget::itemExpanded, treeColumnTimer_, qOverload<>(&QTimer::start));
    PRPTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    PRPTree->setSelectionMode(QAbstractItemView::SingleSelection);
    PRPTree->setExpandsOnDoubleClick(false);
    PRPTree->setIconSize(QSize(16, 16));
    // An unfocused tree keeps its selection visible.
    QPalette palette = PRPTree->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     palette.color(QPalette::Active, QPalette::HighlightedText));
    PRPTree->setPalette(palette);
    PRPTree->viewport()->installEventFilter(this);
    // Qt reports a double-click where no row stands with no item: it does nothing.
    connect(PRPTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* node, int) {
        if (!node) return;
        if (NodeObject(node)) {
            prpMenuEditExecute();
        } else {
            node->setExpanded(!node->isExpanded());
        }
    });
    leftLayout->addWidget(PRPTree, 1);

    AlsoLoadGroup = new QGroupBox(QStringLiteral("Also Load"), left);
    AlsoLoadGroup->setObjectName(QStringLiteral("AlsoLoadGroup"));
    auto* groupLayout = new QVBoxLayout(AlsoLoadGroup);
    auto bind = [this, groupLayout](QCheckBox*& box, QAction* action, const char* name,
                                    void (TMainForm::*slot)()) {
        box = new QCheckBox(action->text(), AlsoLoadGroup);
        box->setObjectName(QString::fromLatin1(name));
        groupLayout->addWidget(box);
        connect(action, &QAction::changed, box, [box, action] {
            box->setEnabled(action->isEnabled());
            box->setChecked(action->isChecked());
        });
        // A click on the box ticks it and runs the action, which reads the box.
        connect(box, &QCheckBox::clicked, this, [this, slot] { Guarded([this, slot] { (this->*slot)(); }); });
        connect(action, &QAction::triggered, this, [this, box, action, slot] {
            box->setChecked(action->isChecked());
            Guarded([this, slot] { (this->*slot)(); });
        });
    };
    bind(ShowLocalsCheck, ShowLocals, "ShowLocalsCheck", &TMainForm::ShowLocalsExecute);
    bind(ShowAgeCheck, ShowAge, "ShowAgeCheck", &TMainForm::ShowAgeExecute);
    bind(ShowGlobalsCheck, ShowGlobals, "ShowGlobalsCheck", &TMainForm::ShowGlobalsExecute);
    leftLayout->addWidget(AlsoLoadGroup);

    MdiArea = new QMdiArea(splitter);
    MdiArea->setObjectName(QStringLiteral("MdiArea"));
    MdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    MdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    connect(WindowClose, &QAction::triggered, MdiArea, &QMdiArea::closeActiveSubWindow);
    connect(WindowTileHorizontal, &QAction::triggered, this, [this] { tileChildren(true); });
    connect(WindowTileVertical, &QAction::triggered, this, [this] { tileChildren(false); });
    connect(WindowCascade, &QAction::triggered, this, [this] { cascadeChildren(); });
    connect(WindowArrange, &QAction::triggered, this, [this] { arrangeIcons(); });
    connect(WindowMinimizeAll, &QAction::triggered, this, [this] {
        for (QMdiSubWindow* window : MdiArea->subWindowList())
            window->showMinimized();
    });

    splitter->addWidget(left);
    splitter->addWidget(MdiArea);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 640});
    setCentralWidget(splitter);

    SaveExportDialog = new QFileDialog(this);
    SaveExportDialog->setObjectName(QStringLiteral("SaveExportDialog"));
    SaveExportDialog->setAcceptMode(QFileDialog::AcceptSave);
    SaveExportDialog->setFileMode(QFileDialog::AnyFile);
    SaveExportDialog->setOption(QFileDialog::DontConfirmOverwrite, false);

    ColorDialog = new QColorDialog(this);
    ColorDialog->setObjectName(QStringLiteral("ColorDialog"));

    statusBar()->setObjectName(QStringLiteral("StatusBar1"));
}

QMdiSubWindow* TMainForm::AddChildForm(TCustomPRPObjectForm* form) {
    const QSize designed = form->size();
    QMdiSubWindow* window = MdiArea->addSubWindow(form);
    window->setAttribute(Qt::WA_DeleteOnClose);
    new TitleBarRepaint(window);
    // The frame would take the form's smallest comfortable size; a viewer opens at its designed size.
    const QSize wanted = form->testAttribute(Qt::WA_Resized) ? designed.expandedTo(form->minimumSizeHint()) +
                                                                   window->sizeHint() - form->sizeHint()
                                                             : window->size();
    // It keeps its cascade place and scrolls what the rest of the area cannot show, down to half the area.
    const QSize area = ChildAreaSize(MdiArea, {window});
    const QSize least =
        area.isValid() ? window->minimumSizeHint().boundedTo(area / 2) : window->minimumSizeHint();
    PlaceChildFrame(window, nextChildPosition(window), wanted, least, area);
    // The frame's own menu binds Ctrl+W to its Close as well; a key bound twice triggers neither binding,
    // so the Window menu's Close keeps it alone.
    if (QMenu* menu = window->systemMenu())
        for (QAction* action : menu->actions()) {
            QList<QKeySequence> keys = action->shortcuts();
            if (keys.removeAll(WindowClose->shortcut()) > 0) action->setShortcuts(keys);
        }
    return window;
}

QPoint TMainForm::nextChildPosition(const QMdiSubWindow* placed) const {
    // New child windows cascade one title-bar height down and right of each other, back to the top once
    // a step would start below the middle of the area, each such pass one step further right. A new
    // window takes the first place whose corner no open window holds, so it never hides one exactly.
    const int step = ChildCascadeStep(MdiArea);
    const int rows = std::max(1, MdiArea->viewport()->height() / 2 / step);
    std::vector<QPoint> held;
    for (QMdiSubWindow* window : MdiArea->subWindowList())
        if (window != placed) held.push_back(window->pos());
    for (int i = 0;; ++i) {
        const int row = i % rows, pass = i / rows;
        const QPoint place(step * (row + pass), step * row);
        if (std::find(held.begin(), held.end(), place) == held.end()) return place;
    }
}

void TMainForm::tileChildren(bool horizontal) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : MdiArea->subWindowList())
        if (!window->isMinimized() && window->isVisible()) windows.append(window);
    if (windows.isEmpty()) return;
    // The area as it is once tiled: the scroll bars that the windows being tiled cause go with tiling.
    const QSize fill = ChildAreaSize(MdiArea, windows);
    const QRect area(QPoint(0, 0), fill.isValid() ? fill : MdiArea->contentsRect().size());
    const int n = int(windows.size());
    // Each window keeps its title readable and a line of its contents in view: no lower than its title bar,
    // a line and the sideways scroll bar a narrow window shows, no narrower than the title's icon, its three
    // buttons and a short name. Where strips (or columns) would be thinner, the windows tile in a grid, with
    // as few strips side by side (or columns one above the other) as that allows.
    QStyle* style = MdiArea->style();
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight);
    const QSize decoration = windows.front()->size() - windows.front()->contentsRect().size();
    const QFontMetrics metrics = MdiArea->fontMetrics();
    const QSize cell(4 * title + 12 * metrics.averageCharWidth(),
                     decoration.height() + metrics.lineSpacing() +
                         style->pixelMetric(QStyle::PM_ScrollBarExtent));
    const int length = horizontal ? area.height() : area.width();
    const int breadth = horizontal ? area.width() : area.height();
    const int leastLength = horizontal ? cell.height() : cell.width();
    const int leastBreadth = horizontal ? cell.width() : cell.height();
    int across = 1;
    double best = 0;
    for (int candidate = 1; candidate <= n; ++candidate) {
        const int lines = (n + candidate - 1) / candidate;
        const double fit =
            std::min(double(length / lines) / leastLength, double(breadth / candidate) / leastBreadth);
        if (fit > best) {
            best = fit;
            across = candidate;
        }
        if (fit >= 1) break;
    }
    const int lines = (n + across - 1) / across;
    for (int i = 0; i < n; ++i) {
        const int line = i / across, first = line * across;
        const int inLine = std::min(across, n - first), at = i - first;
        const int start = length * line / lines, end = length * (line + 1) / lines;
        const int from = breadth * at / inLine, to = breadth * (at + 1) / inLine;
        windows[i]->showNormal();
        if (horizontal)
            windows[i]->setGeometry(from, start, to - from, end - start);
        else
            windows[i]->setGeometry(start, from, end - start, to - from);
    }
}

void TMainForm::cascadeChildren() {
    MdiArea->cascadeSubWindows();
    // The cascade gives each window the size its contents prefer, which a long name makes wider than the
    // area: each is kept inside it.
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* window : MdiArea->subWindowList())
        if (window->isVisible() && !window->isMinimized() && !window->isMaximized()) windows.append(window);
    const QSize area = ChildAreaSize(MdiArea, windows);
    for (QMdiSubWindow* window : windows)
        PlaceChildFrame(window, window->pos(), window->size(), window->minimumSizeHint(), area);
}

void TMainForm::arrangeIcons() {
    const QRect area = MdiArea->viewport()->rect();
    int x = 0, y = area.bottom();
    for (QMdiSubWindow* window : MdiArea->subWindowList()) {
        if (!window->isMinimized()) continue;
        const QSize size = window->size();
        if (x > 0 && x + size.width() > area.width()) {
            x = 0;
            y -= size.height();
        }
        window->move(x, y - size.height() + 1);
        x += size.width();
    }
}

// ---- Placement

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!placementRestored_) {
        placementRestored_ = true;
        Guarded([this] { restorePlacement(); });
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Each viewer may refuse to close (an unsaved raw view answered Cancel); then the program stays.
    MdiArea->closeAllSubWindows();
    if (!MdiArea->subWindowList().isEmpty()) {
        event->ignore();
        return;
    }
    Guarded([this] { storePlacement(); });
    QMainWindow::closeEvent(event);
}

void TMainForm::restorePlacement() {
    TRegistry registry;
    registry.OpenKey(kRegistryKey, true);
    TStoredPlacement stored;
    stored.left = registry.ReadWholeNumber(QStringLiteral("Left"));
    stored.top = registry.ReadWholeNumber(QStringLiteral("Top"));
    stored.width = registry.ReadWholeNumber(QStringLiteral("Width"));
    stored.height = registry.ReadWholeNumber(QStringLiteral("Height"));
    // A placement stored on a monitor that is gone, or a size larger than this screen (the designed one
    // included), would leave the window where the user cannot reach it: it is fitted into the screen.
    const QSize edges = frameGeometry().size() - size();
    const QRect placement =
        StoredFrame(stored, QRect(pos(), size()), minimumSizeHint().expandedTo(minimumSize()), edges);
    QRect available;
    if (QScreen* screen = screenHolding(placement, this->screen())) available = screen->availableGeometry();
    const QRect fitted = FitWindowPlacement(placement, available);
    move(fitted.topLeft());
    resize(fitted.size() - edges);
    if (registry.ValueExists(QStringLiteral("Maximized")))
        setWindowState(registry.ReadBool(QStringLiteral("Maximized"))
                           ? (windowState() | Qt::WindowMaximized)
                           : (windowState() & ~Qt::WindowMaximized));
}

void TMainForm::storePlacement() {
    TRegistry registry;
    registry.OpenKey(kRegistryKey, true);
    registry.WriteInteger(QStringLiteral("Left"), pos().x());
    registry.WriteInteger(QStringLiteral("Top"), pos().y());
    registry.WriteInteger(QStringLiteral("Width"), width());
    registry.WriteInteger(QStringLiteral("Height"), height());
    registry.WriteBool(QStringLiteral("Maximized"), isMaximized());
    registry.CloseKey();
}

// ---- Opening pages and ages

QString TMainForm::chooseFile(const QString& filter) {
    QFileDialog dialog(this, QString(), AgeDir, filter);
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().constFirst();
}

void TMainForm::FileOpenPRPExecute() {
    const QString file = chooseFile(QStringLiteral("PRP Files (*.prp);;All Files (*)"));
    if (!file.isEmpty()) OpenPRPFile(file);
}

void TMainForm::FileOpenAgeExecute() {
    const QString file = chooseFile(QStringLiteral("Ages (*.age);;PRP Files (*.prp);;All Files (*)"));
    if (!file.isEmpty()) OpenPRPFile(file);
}

void TMainForm::setOption(QAction* action, QCheckBox* box, bool checked) {
    action->setChecked(checked);
    box->setChecked(checked);
}

void TMainForm::ShowLocalsExecute() {
    ShowLocals->setChecked(ShowLocalsCheck->isChecked());
    OpenPRPFile(CurrentFile);
}

void TMainForm::ShowGlobalsExecute() {
    ShowGlobals->setChecked(ShowGlobalsCheck->isChecked());
    OpenPRPFile(CurrentFile);
}

void TMainForm::ShowAgeExecute() {
    ShowAge->setChecked(ShowAgeCheck->isChecked());
    if (ShowAge->isChecked()) {
        ShowLocals->setEnabled(false);
        setOption(ShowLocals, ShowLocalsCheck, true);
    } else {
        ShowLocals->setEnabled(true);
    }
    ShowLocalsExecute();
}

void TMainForm::clearPages() {
    PRPTree->clear();
    // Each load measures its own widest name again.
    treeNamesWidth_ = 0;
    PRPTree->setColumnWidth(0, PRPTree->viewport()->width());
    treeColumnTimer_->start();
    LocalPages.clear();
    GlobalPages.clear();
}

void TMainForm::notePageFailure(const std::exception& error) {
    pageFailed_ = true;
    const QString text = QString::fromStdString(error.what());
    if (!pageProblems_.contains(text)) pageProblems_.append(text);
}

std::optional<TPRPFileHeader> TMainForm::tryReadHeader(const QString& path) {
    try {
        return readHeader(path);
    } catch (const std::exception& error) {
        notePageFailure(error);
        return std::nullopt;
    }
}

void TMainForm::tryLoadPage(const QString& path, QTreeWidgetItem* parent, std::vector<TPRPFile>& pages) {
    try {
        pages.push_back(LoadPage(path, parent));
    } catch (const std::exception& error) {
        notePageFailure(error);
    }
}

void TMainForm::OpenPRPFile(const QString& path) {
    CurrentFile = path;
    clearPages();
    pageProblems_.clear();
    pageFailed_ = false;
    if (path.isEmpty()) return;
    {
        PRPTree->setUpdatesEnabled(false);
        // One read of the folder serves every age of the load; the next load reads it afresh.
        struct Restore {
            TMainForm* form;
            ~Restore() {
                form->PRPTree->setUpdatesEnabled(true);
                form->loading_ = false;
                form->listing_.reset();
            }
        } restore{this};
        listing_.reset();
        loading_ = true;
        loadPages(path);
    }
    // Each page loads on its own: the ones that failed or were damaged are named together, once.
    if (!pageProblems_.isEmpty())
        MessageDlg(pageProblems_.join(QChar('\r')),
                   pageFailed_ ? TMsgDlgType::mtError : TMsgDlgType::mtWarning, TMsgDlgButtons::mbOK);
}

void TMainForm::loadPages(const QString& path) {
    const QFileInfo info(path);
    const QString dir = info.absolutePath();

    if (ShowGlobals->isChecked()) {
        for (const QString& ageFile : folderListing(dir).Ages()) {
            const QString age = ageFile.chopped(4); // less ".age"
            const QString firstPage = folderListing(dir).FirstAgePage(age);
            if (firstPage.isEmpty()) continue;
            const std::optional<TPRPFileHeader> first = tryReadHeader(firstPage);
            if (!first || first->LocationFlags != kReserved) continue;
            QTreeWidgetItem* ageNode = makeNode(TNodeKind::GlobalAge, age, TImageList::kGlobalAge);
            PRPTree->addTopLevelItem(ageNode);
            AgeDir = dir;
            LoadAgePages(age, true, ageNode);
        }
    }

    if (info.suffix() == QStringLiteral("age")) {
        setOption(ShowAge, ShowAgeCheck, true);
        ShowLocals->setEnabled(false);
        setOption(ShowLocals, ShowLocalsCheck, true);
        AgeDir = dir;
        LoadAgePages(info.completeBaseName(), false, nullptr);
    } else if (!ShowAge->isChecked()) {
        tryLoadPage(path, nullptr, LocalPages);
        if (ShowLocals->isChecked() && !LocalPages.empty()) {
            const QStringList pages =
                folderListing(dir).AgePages(PageText(LocalPages.front().Header.AgeName));
            for (const QString& page : pages) {
                const std::optional<TPRPFileHeader> header = tryReadHeader(page);
                if (header && header->LocationFlags == kBuiltIn) tryLoadPage(page, nullptr, LocalPages);
            }
            if (!pages.isEmpty()) sortTopLevel(PRPTree);
        }
    } else {
        LoadAgeOfPage(path);
    }
}

void TMainForm::LoadAgePages(const QString& age, bool global, QTreeWidgetItem* parent) {
    for (const QString& page : folderListing(AgeDir).AgePages(age))
        tryLoadPage(page, parent, global ? GlobalPages : LocalPages);
}

void TMainForm::LoadAgeOfPage(const QString& path) {
    const std::optional<TPRPFileHeader> header = tryReadHeader(path);
    if (!header) return;
    AgeDir = QFileInfo(path).absolutePath();
    LoadAgePages(PageText(header->AgeName), false, nullptr);
}

FolderListing TMainForm::listFolder(const QString& dir) const {
    return FolderListing::Read(dir);
}

const FolderListing& TMainForm::folderListing(const QString& dir) {
    if (!loading_ || !listing_ || listing_->Dir() != dir) listing_ = listFolder(dir);
    return *listing_;
}

TPRPFile TMainForm::LoadPage(const QString& path, QTreeWidgetItem* parent) {
    TPRPFile page;
    {
        TPlasmaFileStream stream(localPath(path), TFileMode::fmOpenRead);
        stream.ReadPageHeader();
        stream.ReadKeyIndex();
        stream.GetPageInfo(page);
    }
    page.FileName = localPath(path);
    if (page.Damage.Any()) {
        const QString text = path + QStringLiteral(": ") + QString::fromStdString(DescribePageDamage(page));
        if (!pageProblems_.contains(text)) pageProblems_.append(text);
    }

    QTreeWidgetItem* pageNode = makeNode(TNodeKind::Page, PageText(page.Header.PageName), TImageList::kPage);
    pageNode->setData(0, kDataRole, path);
    QTreeWidgetItem* allObjects =
        makeNode(TNodeKind::AllObjects, QStringLiteral("All Objects"), TImageList::kFolder);
    pageNode->addChild(allObjects);

    QList<QTreeWidgetItem*> groups;
    QList<QTreeWidgetItem*> sceneNodes;
    const QIcon folderIcon = TreeImages().Icon(TImageList::kFolder);
    for (TPRPFolder& folder : page.Folders) {
        if (folder.Count == 0 || folder.Objects.empty()) continue;
        TPRPFileObject& first = folder.Objects.front();
        first.Version = page.Header.Version;
        first.MajorVersion = page.Header.MajorVersion;
        auto* groupNode = new QTreeWidgetItem(QStringList{PageText(GetObjectClassLabel(first))});
        groupNode->setData(0, kKindRole, int(TNodeKind::ClassGroup));
        groupNode->setIcon(0, folderIcon);
        const QIcon classIcon = TreeImages().Icon(GetObjectImageIndex(first));
        QList<QTreeWidgetItem*> objects;
        objects.reserve(qsizetype(folder.Objects.size()));
        for (TPRPFileObject& entry : folder.Objects) {
            entry.FileName = page.FileName;
            entry.Version = page.Header.Version;
            entry.MajorVersion = page.Header.MajorVersion;
            const QString name = PageText(entry.Desc.Name);
            auto* objectNode = new QTreeWidgetItem(QStringList{name});
            objectNode->setData(0, kKindRole, int(TNodeKind::Object));
            objectNode->setData(0, kDataRole, QVariant::fromValue(reinterpret_cast<quintptr>(&entry)));
            objectNode->setIcon(0, classIcon);
            objects.append(objectNode);
            if (folder.ClassType == 0) {
                auto* copy = new QTreeWidgetItem(QStringList{name});
                copy->setData(0, kKindRole, int(TNodeKind::SceneNodeCopy));
                copy->setIcon(0, classIcon);
                sceneNodes.append(copy);
            }
        }
        sortNodes(objects);
        groupNode->addChildren(objects);
        groups.append(groupNode);
    }
    sortNodes(groups);
    allObjects->addChildren(groups);
    pageNode->addChildren(sceneNodes);
    attach(PRPTree, parent, pageNode);
    return page;
}

// ---- The tree

TNodeKind TMainForm::NodeKind(const QTreeWidgetItem* node) {
    return node ? TNodeKind(node->data(0, kKindRole).toInt()) : TNodeKind::AllObjects;
}

TPRPFileObject* TMainForm::NodeObject(const QTreeWidgetItem* node) {
    if (!node || NodeKind(node) != TNodeKind::Object) return nullptr;
    return reinterpret_cast<TPRPFileObject*>(node->data(0, kDataRole).value<quintptr>());
}

QString TMainForm::NodePageFile(const QTreeWidgetItem* node) {
    if (!node || NodeKind(node) != TNodeKind::Page) return QString();
    return node->data(0, kDataRole).toString();
}

TPRPFileObject* TMainForm::SelectedObject() const {
    return NodeObject(PRPTree->currentItem());
}

void TMainForm::PreparePopup(QTreeWidgetItem* node) {
    prpMenuExport->setEnabled(false);
    prpMenuExportAll->setEnabled(false);
    PRPTree->setCurrentItem(node);
    auto show = [](std::initializer_list<QAction*> actions, bool visible) {
        for (QAction* action : actions)
            action->setVisible(visible);
    };
    if (TPRPFileObject* entry = NodeObject(node)) {
        show({prpMenuEdit, prpMenuHexView, prpMenuSave, prpMenuSaveAll, prpMenuInsert, prpMenuReplace,
              prpMenuImport, prpMenuDelete, prpMenuDeleteAll, prpMenuRename, prpMenuExport, prpMenuExportAll},
             true);
        show({prpMenuProperties}, false);
        // Export All has no command of its own and stays disabled.
        if (entry->Desc.ClassType == 4) prpMenuExport->setEnabled(true);
    } else if (NodeKind(node) == TNodeKind::Page) {
        show({prpMenuEdit, prpMenuHexView, prpMenuSave, prpMenuReplace, prpMenuExport, prpMenuDelete,
              prpMenuDeleteAll, prpMenuRename},
             false);
        show({prpMenuSaveAll, prpMenuInsert, prpMenuExportAll, prpMenuImport, prpMenuProperties}, true);
    } else {
        show({prpMenuEdit, prpMenuHexView, prpMenuSave, prpMenuReplace, prpMenuExport, prpMenuDelete,
              prpMenuRename, prpMenuProperties},
             false);
        show({prpMenuSaveAll, prpMenuInsert, prpMenuExportAll, prpMenuImport, prpMenuDeleteAll}, true);
    }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == PRPTree->viewport() && event->type() == QEvent::Resize) treeColumnTimer_->start();
    if (watched == PRPTree->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton) {
            if (QTreeWidgetItem* node = PRPTree->itemAt(mouse->position().toPoint())) {
                Guarded([&] {
                    PreparePopup(node);
                    PRPPopup->popup(mouse->globalPosition().toPoint());
                });
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Objects

void TMainForm::prpMenuEditExecute() {
    TPRPFileObject* entry = SelectedObject();
    if (!entry) return;
    TPlasmaStream stream;
    // A double-click that opens nothing tells why, as HexView does (a page deleted, moved away or changed
    // on disk, an object without data): a gesture that does nothing and says nothing leaves the user
    // guessing.
    try {
        if (!readObjectBody(*entry, stream)) return;
    } catch (const std::exception& error) {
        ShowException(error);
        return;
    }
    try {
        openViewer(*entry, stream, false);
    } catch (...) {
        // A viewer that fails while loading stays open with what it read; the raw view shows the rest.
    }
}

void TMainForm::prpMenuHexViewExecute() {
    if (TPRPFileObject* entry = SelectedObject()) ShowObject(*entry, true);
}

TCustomPRPObjectForm* TMainForm::ShowObject(const TPRPFileObject& entry, bool hexOnly) {
    TPlasmaStream stream;
    if (!readObjectBody(entry, stream)) return nullptr;
    return openViewer(entry, stream, hexOnly);
}

bool TMainForm::readObjectBody(const TPRPFileObject& entry, TPlasmaStream& stream) {
    if (entry.Version == 0) {
        MessageDlg(QStringLiteral("Could not find the object in the currently loaded PRPs.\r"
                                  "Try loading other age PRPs or global PRPs."),
                   TMsgDlgType::mtError, TMsgDlgButtons::mbOK);
        return false;
    }
    TPRPObjectDesc ownKey;
    ExtractObjectData(entry, stream, ownKey);
    stream.Header.Version = entry.Version;
    stream.Header.MajorVersion = uint16_t(entry.MajorVersion & 0xFFFF);
    return true;
}

TCustomPRPObjectForm* TMainForm::openViewer(const TPRPFileObject& entry, TPlasmaStream& stream,
                                            bool hexOnly) {
    const char* viewer = hexOnly ? nullptr : FindViewerClass(entry.Desc.ClassType, entry.Version);
    if (viewer && std::string(viewer) == kEmptyViewer) {
        auto* form = new TfrmTEmpty;
        form->SetObjectInfo(entry);
        return form;
    }
    if (viewer) {
        if (TViewerFactory factory = ViewerFactory(viewer)) {
            TCustomPRPObjectForm* form = factory();
            // Shown before loading: a loader that fails leaves what it filled in view.
            form->ShowAsChild();
            form->LoadObject(entry, &stream);
            return form;
        }
    }
    auto* form = new TfrmTUnknown;
    form->ShowAsChild();
    form->LoadObject(entry, &stream);
    return form;
}

TCustomPRPObjectForm* TMainForm::ShowObjectByKey(const TPRPObjectDesc& key, bool hexOnly) {
    return ShowObject(FindObjectByKey(key), hexOnly);
}

TPRPFileObject TMainForm::FindObjectByKey(const TPRPObjectDesc& key) const {
    TPRPFileObject result;
    auto scan = [&](const std::vector<TPRPFile>& pages) {
        for (const TPRPFile& page : pages) {
            // The page number holds only the low part of an age's sequence number: ages whose numbers
            // differ by a multiple of 256 share it, and only the prefix tells their pages apart.
            if (page.Header.PageNumber != key.PageNumber || page.Header.SeqPrefix != key.SeqPrefix) continue;
            for (const TPRPFolder& folder : page.Folders) {
                if (folder.ClassType != key.ClassType) continue;
                for (const TPRPFileObject& entry : folder.Objects)
                    if (entry.Desc.Name == key.Name) result = entry;
            }
        }
    };
    scan(LocalPages);
    if (result.Version == 0) scan(GlobalPages);
    return result;
}
