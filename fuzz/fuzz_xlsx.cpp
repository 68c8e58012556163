// Any bytes given to the .xlsx reader either read or are refused with a
// WorkbookError; nothing else may happen.

#include "CellText.h"
#include "ReaderParts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const Worksheet sheet = readXlsx(bytes, QStringLiteral("fuzz.xlsx"));
        for (const auto& [pos, value] : sheet.values())
            trimBlanks(cellText(value));
    } catch (const WorkbookError&) {
    }
    return 0;
}
