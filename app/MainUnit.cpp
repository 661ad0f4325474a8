#include "app/MainUnit.h"

#include "options/OptionKey.h"

#include <memory>

namespace {
std::unique_ptr<TRegistryIniFile> g_reader;
std::unique_ptr<TRegistryIniFile> g_writer;
std::function<void(const QString &)> g_traceSink;
} // namespace

TRegistryIniFile *MainIniReader = nullptr;
TRegistryIniFile *MainIniWriter = nullptr;

void InitializeMainUnit() {
    g_reader = optionkey::Open(KEY_QUERY_VALUE);
    g_writer = optionkey::Open(KEY_ALL_ACCESS);
    MainIniReader = g_reader.get();
    MainIniWriter = g_writer.get();
}

void FinalizeMainUnit() {
    MainIniReader = nullptr;
    MainIniWriter = nullptr;
    g_reader.reset();
    g_writer.reset();
}

void DebugTrace(const QString &text) {
    if (g_traceSink)
        g_traceSink(text);
}

void SetDebugTraceSink(std::function<void(const QString &)> sink) {
    g_traceSink = std::move(sink);
}
