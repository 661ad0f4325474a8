#include "tests/support/FreshPlatformDir.h"

#include <QtGlobal>

namespace {
constexpr char kVariable[] = "QUILLMERE_PLATFORM_DIR";
}

FreshPlatformDir::FreshPlatformDir() : FSaved(qgetenv(kVariable)), FOwn(FDir.path().toLocal8Bit()) {
    qputenv(kVariable, FOwn);
}

FreshPlatformDir::~FreshPlatformDir() {
    if (qgetenv(kVariable) == FOwn)
        qputenv(kVariable, FSaved);
}
