// The four class tables and the label and icon look-ups.
#include "PRPClasses.h"

#include <fstream>

TPRPDefs UruTypes;
TPRPDefs M5Types;
TPRPDefs LiveTypes;
TPRPDefs HITypes;

const TPRPDefs& ClassTableFor(uint16_t version) {
    switch (version) {
    case kVersionMystV:
        return M5Types;
    case kVersionLive:
        return LiveTypes;
    case kVersionHexIsle:
        return HITypes;
    default:
        return UruTypes;
    }
}

namespace {

int32_t parseDecimal(const std::string& text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    if (i == text.size()) throw EConvertError("'" + text + "' is not a valid integer value");
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9')
            throw EConvertError("'" + text + "' is not a valid integer value");
        value = value * 10 + (text[i] - '0');
        if (value > 0x7FFFFFFF) throw EConvertError("'" + text + "' is not a valid integer value");
    }
    return static_cast<int32_t>(negative ? -value : value);
}

const TPRPDef* findRow(uint16_t classType, uint16_t version) {
    // The whole table is scanned: when a class occurs twice the last row wins.
    const TPRPDef* found = nullptr;
    for (const TPRPDef& row : ClassTableFor(version))
        if (row.ClassId == classType) found = &row;
    return found;
}

} // namespace

void LoadClassTable(const std::string& fileName, TPRPDefs& table) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) throw EInOutError("File not found: \"" + fileName + "\"");
    std::string line;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const size_t tab = line.find('\t');
        const size_t bar = line.find('|');
        if (line.size() < 4 || tab == std::string::npos || bar == std::string::npos || bar < tab)
            throw EConvertError("'" + line + "' is not a valid class table line");
        TPRPDef row;
        row.ClassId =
            static_cast<uint16_t>(HexPairToByte(line.substr(0, 2)) * 256 + HexPairToByte(line.substr(2, 2)));
        row.ImageIndex = parseDecimal(line.substr(tab + 1, bar - tab - 1));
        row.Name = line.substr(bar + 1);
        table.push_back(std::move(row));
    }
}

void LoadClassTables(const std::string& programDir) {
    LoadClassTable(programDir + "UruPRPTypes.dat", UruTypes);
    LoadClassTable(programDir + "M5PRPTypes.dat", M5Types);
    LoadClassTable(programDir + "LivePRPTypes.dat", LiveTypes);
    LoadClassTable(programDir + "HIPRPTypes.dat", HITypes);
}

void ClearClassTables() {
    UruTypes.clear();
    M5Types.clear();
    LiveTypes.clear();
    HITypes.clear();
}

std::string GetClassLabel(const TPRPObjectDesc& key, uint16_t version) {
    const TPRPDef* row = findRow(key.ClassType, version);
    return row ? row->Name : "??? [" + HexWord(key.ClassType) + "]";
}

int32_t GetClassImageIndex(const TPRPObjectDesc& key, uint16_t version) {
    return GetClassTypeImageIndex(key.ClassType, version);
}

std::string GetObjectClassLabel(const TPRPFileObject& entry) {
    return GetClassLabel(entry.Desc, entry.Version);
}

int32_t GetObjectImageIndex(const TPRPFileObject& entry) {
    return GetClassImageIndex(entry.Desc, entry.Version);
}

int32_t GetClassTypeImageIndex(uint16_t classType, uint16_t version) {
    const TPRPDef* row = findRow(classType, version);
    return row ? row->ImageIndex : -1;
}
