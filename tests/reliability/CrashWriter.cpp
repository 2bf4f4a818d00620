// kinora-crash-writer FOLDER FIRST_GENERATION
//
// A helper of the crash-safety test, not installed: rewrites the crash films' info files
// and FOLDER/Collection.db through the store's writers, one generation after the other,
// until it is killed. It prints "ready" when it starts writing, so the test can time the
// kill from there rather than from the process start.
#include "CrashFilms.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "Aufruf: kinora-crash-writer ORDNER ERSTE_GENERATION\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    std::puts("ready");
    std::fflush(stdout);
    for (int g = std::atoi(argv[2]);; ++g) {
        if (const kinora::Status written = kinora::test::writeCrashGeneration(folder, g);
            !written) {
            std::fprintf(stderr, "%s\n", qPrintable(written.error()));
            return 1;
        }
        std::printf("%d\n", g);
        std::fflush(stdout);
    }
}
