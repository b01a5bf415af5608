// Company lookup by NIP for the subscriber editor: started hidden with one
// argument (access code + NIP), leaves "param.tmp" beside itself and ends.
// Silent on every error: the main program only looks for the file.
#include "tools/ferlo/Ferlo.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdlib>
#include <thread>

namespace {

// The whole run, start-up and exit included, ends within this time; the
// requests share a slightly smaller budget so they end on their own first.
constexpr int FallbackMs = 5000;
constexpr int LookupBudgetMs = 4500;

} // namespace

int main(int argc, char* argv[])
{
    // Last resort for a step that ignores its timeout (a stuck name lookup):
    // the program ends all the same, as the main program expects.
    std::thread([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(FallbackMs));
        std::_Exit(0);
    }).detach();

    curl_global_init(CURL_GLOBAL_DEFAULT);
    QCoreApplication app(argc, argv);
    const QString folder = QCoreApplication::applicationDirPath();
    const QStringList args = QCoreApplication::arguments();
    {
        TFerlo ferlo(ReadFerloSettings(folder + QStringLiteral("/ferlo.ini")), LookupBudgetMs);
        ferlo.Test(args.value(1), folder);
    }
    curl_global_cleanup();
    return 0;
}
