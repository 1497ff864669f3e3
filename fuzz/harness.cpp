// One libFuzzer harness: the check named by NORVA_FUZZ_CHECK on every input,
// in a temporary folder of this process that stands in for the program's.

#include "fuzzchecks.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> &workDir()
{
    static std::unique_ptr<QTemporaryDir> dir;
    return dir;
}

void removeWorkDir()
{
    workDir().reset();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // In memory where there is a tmpfs: the settings writer syncs its file.
    const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                             ? QStringLiteral("/dev/shm")
                             : QDir::tempPath();
    workDir() = std::make_unique<QTemporaryDir>(base + QStringLiteral("/norva-fuzz-XXXXXX"));
    if (!workDir()->isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        std::abort();
    }
    norva::fuzz::setWorkFolder(workDir()->path());
    std::atexit(removeWorkDir);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString wrong = norva::fuzz::NORVA_FUZZ_CHECK(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (!wrong.isEmpty()) {
        std::fprintf(stderr, "\n%s\n", wrong.toUtf8().constData());
        std::abort();
    }
    return 0;
}
