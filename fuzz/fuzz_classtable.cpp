// Any bytes as a class-table file, then the look-ups over the table it gives.
#include <cstddef>
#include <cstdint>

#include "FuzzHarness.h"
#include "PRPClasses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzzharness::scratchPath(".dat");
    fuzzharness::writeFile(path, data, size);
    ClearClassTables();
    try {
        LoadClassTable(path, UruTypes);
    } catch (const Exception&) {
        // Start-up shows the message; the rows read before the bad line stay.
    }
    for (const TPRPDef& row : UruTypes) {
        TPRPObjectDesc key;
        key.ClassType = row.ClassId;
        (void)GetClassLabel(key, kVersionUru);
        (void)GetClassTypeImageIndex(row.ClassId, kVersionLive);
    }
    return 0;
}
