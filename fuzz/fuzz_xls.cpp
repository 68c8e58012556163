// Any bytes given to the .xls reader either read or are refused with a
// WorkbookError; nothing else may happen.

#include "CellText.h"
#include "ReaderParts.h"

// LeakSanitizer's fast unwinder stops inside glib (built without frame
// pointers), so the stack of libgsf's known leak never shows the frame the
// suppression names: unwind fully on allocation, and carry the suppression
// here, so that a plain run and the documented command both work.
extern "C" const char* __lsan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char* __lsan_default_suppressions()
{
    return "leak:gsf_infile_msole_new\n";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        const Worksheet sheet = readXls(bytes, QStringLiteral("fuzz.xls"));
        for (const auto& [pos, value] : sheet.values())
            trimBlanks(cellText(value));
    } catch (const WorkbookError&) {
    }
    return 0;
}
