#include "StatementHook.h"

#include <atomic>
#include <sqlite3.h>
#include <stdexcept>

namespace {
std::atomic<StatementHook*> current{nullptr};
}

struct StatementHookCalls {
    static int traced(unsigned, void*, void*, void* text)
    {
        StatementHook* hook = current.load();
        if (!hook || !text)
            return 0;
        const QByteArray sql = QByteArray(static_cast<const char*>(text)).trimmed();
        if (sql.left(hook->prefix.size()).compare(hook->prefix, Qt::CaseInsensitive) == 0)
            hook->action();
        return 0;
    }

    static int install(sqlite3* db, const char**, const sqlite3_api_routines*)
    {
        sqlite3_trace_v2(db, SQLITE_TRACE_STMT, traced, nullptr);
        return SQLITE_OK;
    }

    static void (*entry())()
    {
        return reinterpret_cast<void (*)()>(install);
    }
};

StatementHook::StatementHook(const QByteArray& prefix, std::function<void()> action)
    : prefix(prefix), action(std::move(action))
{
    StatementHook* none = nullptr;
    if (!current.compare_exchange_strong(none, this))
        throw std::logic_error("one statement hook at a time");
    sqlite3_auto_extension(StatementHookCalls::entry());
}

StatementHook::~StatementHook()
{
    sqlite3_cancel_auto_extension(StatementHookCalls::entry());
    current = nullptr;
}
