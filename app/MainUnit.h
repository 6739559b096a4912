#pragma once
// The main window: class tables, the page and object tree, opening pages and ages, object dispatch and
// look-up by key, the child-window area that holds every viewer.
#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <exception>
#include <optional>
#include <vector>

#include "FolderListing.h"
#include "PRPClasses.h"
#include "ViewerHost.h"

class QAction;
class QCheckBox;
class QColorDialog;
class QFileDialog;
class QGroupBox;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TCustomPRPObjectForm;
class TImageList;

// What a node of the page tree stands for; its data follows from the kind.
enum class TNodeKind {
    GlobalAge,     // no data
    Page,          // the page's file name
    AllObjects,    // no data
    ClassGroup,    // no data
    Object,        // its TPRPFileObject inside LocalPages or GlobalPages
    SceneNodeCopy, // a scene node listed again under its page; no data
};

class TMainForm : public QMainWindow, public TViewerHost {
    Q_OBJECT
public:
    // Runs the start-up: class tables from the program's folder, the application title, then the file
    // named on the command line (an error message when it does not exist).
    explicit TMainForm(const QString& commandLineFile = QString(), QWidget* parent = nullptr);
    ~TMainForm() override;

    QString ProgramDir; // with a trailing separator
    QString AgeDir;
    QString BaseCaption;
    QString CurrentFile;
    // Tree nodes point into the pages' object arrays; those arrays are only ever moved, never copied,
    // so the addresses hold until the next load clears the tree.
    std::vector<TPRPFile> LocalPages;
    std::vector<TPRPFile> GlobalPages;

    // Controls and shared dialogs.
    QTreeWidget* PRPTree = nullptr;
    TImageList& PRPTreeImages;
    QMenu* PRPPopup = nullptr;
    QFileDialog* SaveExportDialog = nullptr;
    QColorDialog* ColorDialog = nullptr;
    QMdiArea* MdiArea = nullptr;
    QGroupBox* AlsoLoadGroup = nullptr;
    QCheckBox* ShowLocalsCheck = nullptr;
    QCheckBox* ShowAgeCheck = nullptr;
    QCheckBox* ShowGlobalsCheck = nullptr;

    // Actions.
    QAction* FileNewPRP = nullptr;
    QAction* FileOpenPRP = nullptr;
    QAction* FileOpenAge = nullptr;
    QAction* FileClose = nullptr;
    QAction* FileExit = nullptr;
    QAction* ToolsExtractPRP = nullptr;
    QAction* ToolsStringConv = nullptr;
    QAction* ToolsConvert = nullptr;
    QAction* ShowLocals = nullptr;
    QAction* ShowAge = nullptr;
    QAction* ShowGlobals = nullptr;
    QAction* prpMenuEdit = nullptr;
    QAction* prpMenuHexView = nullptr;
    QAction* prpMenuSave = nullptr;
    QAction* prpMenuSaveAll = nullptr;
    QAction* prpMenuInsert = nullptr;
    QAction* prpMenuReplace = nullptr;
    QAction* prpMenuExport = nullptr;
    QAction* prpMenuExportAll = nullptr;
    QAction* prpMenuImport = nullptr;
    QAction* prpMenuDelete = nullptr;
    QAction* prpMenuDeleteAll = nullptr;
    QAction* prpMenuRename = nullptr;
    QAction* prpMenuProperties = nullptr;
    QAction* WindowClose = nullptr;
    QAction* WindowTileHorizontal = nullptr;
    QAction* WindowTileVertical = nullptr;
    QAction* WindowCascade = nullptr;
    QAction* WindowArrange = nullptr;
    QAction* WindowMinimizeAll = nullptr;

    // ---- Opening pages and ages
    void OpenPRPFile(const QString& path);
    void LoadAgePages(const QString& age, bool global, QTreeWidgetItem* parent);
    void LoadAgeOfPage(const QString& path);
    TPRPFile LoadPage(const QString& path, QTreeWidgetItem* parent);

    // ---- Objects
    // Opens an object in its own viewer (or the raw view when it has none, or hexOnly); returns the window,
    // or nullptr when nothing was opened.
    TCustomPRPObjectForm* ShowObject(const TPRPFileObject& entry, bool hexOnly);
    TCustomPRPObjectForm* ShowObjectByKey(const TPRPObjectDesc& key, bool hexOnly) override;
    TPRPFileObject FindObjectByKey(const TPRPObjectDesc& key) const;

    // ---- The tree
    static TNodeKind NodeKind(const QTreeWidgetItem* node);
    // The key-index entry of an object node, else nullptr.
    static TPRPFileObject* NodeObject(const QTreeWidgetItem* node);
    // The file name of a page node, else empty.
    static QString NodePageFile(const QTreeWidgetItem* node);
    TPRPFileObject* SelectedObject() const;
    // Selects the node and sets the popup's entries for its kind (what a right-click does before showing).
    void PreparePopup(QTreeWidgetItem* node);
    // Puts a viewer into the child-window area.
    QMdiSubWindow* AddChildForm(TCustomPRPObjectForm* form);

    // ---- What the viewers ask of the program
    QColorDialog* SharedColorDialog() const override { return ColorDialog; }
    const std::vector<TPRPFile>& LoadedLocalPages() const override { return LocalPages; }

public slots:
    void FileOpenPRPExecute();
    void FileOpenAgeExecute();
    void FileNewPRPExecute();
    void ToolsStringConvExecute();
    void ToolsConvertExecute();
    void ShowLocalsExecute();
    void ShowAgeExecute();
    void ShowGlobalsExecute();
    void prpMenuEditExecute();
    void prpMenuHexViewExecute();
    void prpMenuSaveExecute();
    void prpMenuExportExecute();
    void prpMenuPropertiesExecute();

protected:
    // The one read of dir that a load makes.
    virtual FolderListing listFolder(const QString& dir) const;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createControls();
    void startUp(const QString& commandLineFile);
    void restorePlacement();
    void storePlacement();
    void clearPages();
    QString chooseFile(const QString& filter);
    QPoint nextChildPosition(const QMdiSubWindow* placed) const;
    void tileChildren(bool horizontal);
    void cascadeChildren();
    void arrangeIcons();
    void setOption(QAction* action, QCheckBox* box, bool checked);
    // The two halves of ShowObject: the object's body read from its page (false after the not-found
    // message), then the viewer that shows it.
    bool readObjectBody(const TPRPFileObject& entry, TPlasmaStream& stream);
    TCustomPRPObjectForm* openViewer(const TPRPFileObject& entry, TPlasmaStream& stream, bool hexOnly);
    void loadPages(const QString& path);
    // A page that cannot be read is left out and its failure noted; the others still load.
    void tryLoadPage(const QString& path, QTreeWidgetItem* parent, std::vector<TPRPFile>& pages);
    std::optional<TPRPFileHeader> tryReadHeader(const QString& path);
    void notePageFailure(const std::exception& error);
    // The listing of dir: kept while a load is under way, so that it reads each folder once.
    const FolderListing& folderListing(const QString& dir);

    bool placementRestored_ = false;
    // Fits the tree's column to the widest name in view, once the tree has settled.
    QTimer* treeColumnTimer_ = nullptr;
    // The widest name measured in the tree since the last load.
    int treeNamesWidth_ = 0;
    // What went wrong while loading pages, one line per page, shown once when the load ends.
    QStringList pageProblems_;
    bool pageFailed_ = false;
    // The folder's listing, kept only while a load is under way.
    bool loading_ = false;
    std::optional<FolderListing> listing_;
};

// The one main window, or nullptr.
extern TMainForm* MainForm;
