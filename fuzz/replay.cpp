// Runs a fuzz target's input function once over each file named, or over
// every file in each folder named: the corpus replayed without libFuzzer,
// so any compiler's sanitizers can check the readers on it.
#include <QDirIterator>
#include <QFileInfo>
#include <QFile>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        QStringList paths{QFile::decodeName(argv[i])};
        if (QFileInfo(paths[0]).isDir()) {
            paths.clear();
            QDirIterator it(QFile::decodeName(argv[i]), QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                paths.append(it.next());
        }
        for (const QString& path : paths) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
            ++files;
        }
    }
    std::printf("%d inputs read\n", files);
    return files > 0 ? 0 : 1;
}
