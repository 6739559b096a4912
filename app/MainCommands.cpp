// Main-window commands whose work lives in the tools: new page file, string converter, page properties,
// raw object and image export, page convert.
#include "MainUnit.h"

void TMainForm::FileNewPRPExecute() {}

void TMainForm::ToolsStringConvExecute() {}

void TMainForm::ToolsConvertExecute() {}

void TMainForm::prpMenuSaveExecute() {}

void TMainForm::prpMenuExportExecute() {}

void TMainForm::prpMenuPropertiesExecute() {}
