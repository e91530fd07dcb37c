// Any bytes as the results store's INI file: listing, showing and purging the
// entries must report what they cannot read, never crash, and never write
// into a file the store calls damaged.
#include <unistd.h>

#include <QFile>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "training/ResultStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/ravx-fuzz-store-" + std::to_string(::getpid()) + ".ini";
    const QString file = QString::fromStdString(path);
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            return 0;
        }
        out.write(input);
    }
    {
        ravx::IniResultStore store(file);
        const bool damaged = !store.Problem().isEmpty();
        const QStringList names = store.ResultNames();
        for (const QString& name : names) {
            const ravx::StoredEntry entry = store.ReadResult(name);
            if (entry.decoded) {
                ravx::result::MakeEntryTexts(entry.decoded->counters);
                ravx::FormatResultTime(entry.decoded->days);
            }
        }
        store.PurgeOld(names, {2026, 4, 2});
        if (damaged) {
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly) || in.readAll() != input) {
                std::abort();
            }
        }
    }
    QFile::remove(file);
    return 0;
}
