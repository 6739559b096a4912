// Main-window commands whose work lives in the tools: new page file, string converter, page properties,
// raw object and image export, page convert.
#include <QFile>

#include "MainUnit.h"
#include "PRPExport.h"

void TMainForm::FileNewPRPExecute() {}

void TMainForm::ToolsStringConvExecute() {}

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

void TMainForm::prpMenuPropertiesExecute() {}
