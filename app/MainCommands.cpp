// Main-window commands whose work lives in the tools: new page file, string converter, page properties,
// raw object and image export, page convert.
#include "MainUnit.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QTreeWidget>

#include "PRPExport.h"
#include "PRPProperties.h"
#include "StringConvUnit.h"

void TMainForm::FileNewPRPExecute() {
    // Only the folder of the chosen path is used; the name comes from the page's own names.
    SaveExportDialog->setWindowTitle(QString());
    SaveExportDialog->setNameFilters({QStringLiteral("PRP Files (*.prp)"), QStringLiteral("All Files (*)")});
    SaveExportDialog->selectFile(QStringLiteral("(Filename Unimportant)"));
    if (ExecModal(*SaveExportDialog) != QDialog::Accepted || SaveExportDialog->selectedFiles().isEmpty())
        return;
    NewPRPFile(PropertiesDialog(), QFileInfo(SaveExportDialog->selectedFiles().constFirst()).absolutePath(),
               ProgramDir);
}

void TMainForm::ToolsStringConvExecute() {
    new TStringConv;
}

void TMainForm::ToolsConvertExecute() {
    ConvertPage(QFile::encodeName(CurrentFile).toStdString(), ExportDialogs(this, SaveExportDialog));
}

void TMainForm::prpMenuSaveExecute() {
    if (const TPRPFileObject* entry = SelectedObject())
        SaveRawObject(*entry, ExportDialogs(this, SaveExportDialog));
}

void TMainForm::prpMenuExportExecute() {
    if (const TPRPFileObject* entry = SelectedObject())
        ExportImage(*entry, ExportDialogs(this, SaveExportDialog));
}

void TMainForm::prpMenuPropertiesExecute() {
    const QString page = NodePageFile(PRPTree->currentItem());
    if (!page.isEmpty()) ShowPageProperties(PropertiesDialog(), page);
}
