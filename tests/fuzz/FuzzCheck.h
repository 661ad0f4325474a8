#pragma once
// A property every input must keep; a breach aborts, which libFuzzer saves as a crash and the
// corpus replay reports as a failed test.

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <cstdio>
#include <cstdlib>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Whether bytes are valid UTF-8 (NULs included), as the stores and the ANSI functions hand out.
inline bool IsUtf8(std::string_view bytes) {
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    (void)QString(decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size()))));
    return !decoder.hasError();
}
