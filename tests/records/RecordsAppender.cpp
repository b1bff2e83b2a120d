// records_appender LOCALFILE SITEURL|- PREFIX COUNT [PREFIX COUNT]...: appends calibration
// records with the ids PREFIX-0 .. PREFIX-(COUNT-1) to channel 1; exit status 0 when every one
// was stored where the records live, 1 otherwise (the reasons on standard error).

#include <cstdlib>
#include <iostream>
#include <string>

#include "RecordsTestData.h"
#include "records/RecordsStore.h"

int main(int argc, char** argv) {
    if (argc < 5 || argc % 2 == 0) {
        std::cerr << "usage: records_appender LOCALFILE SITEURL|- PREFIX COUNT...\n";
        return 2;
    }
    const std::string site = argv[2];
    kova::RecordsStore store({argv[1], site == "-" ? std::string() : site});
    if (!store.open()) {
        std::cerr << store.openError() << '\n';
        return 1;
    }
    int failed = 0;
    for (int arg = 3; arg + 1 < argc; arg += 2) {
        const int count = std::atoi(argv[arg + 1]);
        for (int i = 0; i < count; ++i) {
            const std::string id = std::string(argv[arg]) + "-" + std::to_string(i);
            const kova::AppendResult result =
                store.append(kova::test::calibration(1'700'000'000'000 + i, id));
            if (result.status != kova::AppendStatus::Stored) {
                std::cerr << id << ": " << result.message << " " << store.problem() << '\n';
                ++failed;
            }
        }
    }
    return failed == 0 ? 0 : 1;
}
