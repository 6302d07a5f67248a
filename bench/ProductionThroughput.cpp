// Pagers per hour on a production line with many boards on one PC: one
// km640-cli production --serial-from-stdin per board (or, with
// --one-process, one km640-cli driving every board from one stream of
// labels), each board a km640-sim paced like a 9600-baud line, all sharing
// one log folder and the default production record in it. For each number of boards it prints the
// pagers per hour, the share of the machine's CPU the programs used, and the
// ratio to one board (a line scales when n boards give nearly n times the
// pagers of one; on this 2-core machine the simulators compete with the
// stations for the cores).
//
//   build/bench/production_throughput [--pagers N] [--one-process] [BOARDS ...]    (default: 1 2 4)

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "tests/support/ChildProgram.h"

using namespace km640;
using namespace km640::testing;
namespace fs = std::filesystem;

namespace {

struct LineResult {
    int programmed = 0;
    double seconds = 0;
    double cpuSeconds = 0;
};

double cpuSeconds(const rusage& r) {
    return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
           static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

std::string label(int board, int n) {
    char text[32];
    std::snprintf(text, sizeof text, "BENCH%02d%05d", board, n);
    return text;
}

LineResult runLine(int boards, int pagersPerBoard, bool oneProcess, const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder / "logs");
    CodePlugImage image = DefaultImage();
    WriteModelText(image);
    StampVersion(image);
    ImageChecksum(image);
    const std::string file = (folder / "line.tbl").string();
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.bytes().data()), static_cast<std::streamsize>(kImageSize));

    std::vector<std::unique_ptr<ChildProgram>> sims, stations;
    std::vector<std::string> ports;
    for (int b = 0; b < boards; ++b) {
        sims.push_back(std::make_unique<ChildProgram>());
        const auto port = startSimulator(*sims.back(), KM640_SIM_PROGRAM, {});
        if (!port) {
            std::fprintf(stderr, "km640-sim did not start\n");
            std::exit(1);
        }
        ports.push_back(*port);
    }
    const std::vector<std::string> common{file, "--serial-from-stdin", "--log-dir", (folder / "logs").string()};
    if (oneProcess) {
        std::vector<std::string> args{KM640_CLI_PROGRAM, "--quiet", "production"};
        for (const auto& port : ports) args.insert(args.end(), {"--port", port});
        args.insert(args.end(), common.begin(), common.end());
        args.insert(args.end(), {"--station", "bench"});
        stations.push_back(std::make_unique<ChildProgram>());
        stations.back()->start(args);
    } else {
        for (int b = 0; b < boards; ++b) {
            std::vector<std::string> args{KM640_CLI_PROGRAM, "--quiet", "production", "--port", ports[b]};
            args.insert(args.end(), common.begin(), common.end());
            args.insert(args.end(), {"--station", "bench-" + std::to_string(b)});
            stations.push_back(std::make_unique<ChildProgram>());
            stations.back()->start(args);
        }
    }
    const auto start = std::chrono::steady_clock::now();
    // One scanner stream for the one process; each board's own otherwise.
    for (std::size_t s = 0; s < stations.size(); ++s) {
        std::string labels;
        for (int b = 0; b < boards; ++b) {
            if (!oneProcess && b != static_cast<int>(s)) continue;
            for (int n = 0; n < pagersPerBoard; ++n) labels += label(b, n) + "\n";
        }
        stations[s]->write(labels);
        stations[s]->closeInput();
    }
    LineResult result;
    for (auto& station : stations) {
        while (const auto line = station->readLine(600000))
            if (line->find("  Write Success !") != std::string::npos) ++result.programmed;
        rusage usage{};
        station->wait(&usage);
        result.cpuSeconds += cpuSeconds(usage);
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (auto& sim : sims) {
        rusage usage{};
        sim->stop();
        sim->wait(&usage);
        result.cpuSeconds += cpuSeconds(usage);
    }
    fs::remove_all(folder);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    int pagersPerBoard = 4;
    bool oneProcess = false;
    std::vector<int> boardCounts;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--pagers" && i + 1 < argc) {
            pagersPerBoard = std::max(1, std::atoi(argv[++i]));
        } else if (word == "--one-process") {
            oneProcess = true;
        } else if (const int boards = std::atoi(word.c_str()); boards > 0) {
            boardCounts.push_back(boards);
        } else {
            std::fprintf(stderr, "usage: production_throughput [--pagers N] [--one-process] [BOARDS ...]\n");
            return 2;
        }
    }
    if (boardCounts.empty()) boardCounts = {1, 2, 4};
    // The ratio is always against one board.
    if (boardCounts.front() != 1) boardCounts.insert(boardCounts.begin(), 1);

    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const fs::path folder = fs::temp_directory_path() / ("km640-throughput-" + std::to_string(getpid()));
    std::printf("Production line, %d pagers per board, paced boards, %s, %u cores\n", pagersPerBoard,
                oneProcess ? "one km640-cli for all boards" : "one km640-cli per board", cores);
    std::printf("%-7s %10s %10s %14s %10s %12s\n", "boards", "pagers", "seconds", "pagers/hour", "CPU share",
                "x one board");
    double perHourOne = 0;
    for (const int boards : boardCounts) {
        const LineResult r = runLine(boards, pagersPerBoard, oneProcess, folder);
        const double perHour = r.seconds > 0 ? r.programmed * 3600.0 / r.seconds : 0;
        const double share = r.seconds > 0 ? r.cpuSeconds / (r.seconds * cores) : 0;
        if (boards == 1) perHourOne = perHour;
        const double ratio = perHourOne > 0 ? perHour / perHourOne : 0;
        std::printf("%-7d %10d %10.1f %14.0f %9.1f%% %11.2fx\n", boards, r.programmed, r.seconds, perHour,
                    share * 100, ratio);
        if (r.programmed != boards * pagersPerBoard)
            std::printf("        %d of %d pagers were not programmed\n", boards * pagersPerBoard - r.programmed,
                        boards * pagersPerBoard);
    }
    return 0;
}
