// bmpcorners: the corner job from the command line, through the same code as the
// module's export.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "bmp_info.h"
#include "export/corner_job.h"

namespace {

// Exit codes, documented in the README.
constexpr int kExitOk = 0;
constexpr int kExitInputRefused = 1;
constexpr int kExitUsage = 2;
constexpr int kExitOutputFailed = 3;

constexpr const char* kUsage =
    "usage: bmpcorners [-v] INPUT OUTPUT\n"
    "       bmpcorners --info FILE...\n"
    "       bmpcorners --help | --version\n"
    "\n"
    "Paints a black right-angled triangle into each corner of the BMP picture INPUT\n"
    "and writes it to OUTPUT at the bit depth it was read with. INPUT and OUTPUT may\n"
    "name the same file.\n"
    "\n"
    "  -v         print one line: input, size, depth, output\n"
    "  --info     print the header fields of each FILE, for finding out why a\n"
    "             file is refused\n"
    "  --help     show this text\n"
    "  --version  show the version\n"
    "\n"
    "Exit status: 0 done, 1 the input cannot be loaded (with --info: a file\n"
    "cannot be opened), 2 usage error, 3 the output cannot be written.\n";

// The system's reason in lower case, to read on after a colon.
std::string SystemReason(int error) {
    if (error == ENOENT) return "no such file";
    if (error == 0) return "unknown error";
    std::string reason = std::generic_category().message(error);
    if (!reason.empty() && reason[0] >= 'A' && reason[0] <= 'Z') {
        reason[0] = static_cast<char>(reason[0] - 'A' + 'a');
    }
    return reason;
}

// Why the input was refused, in the user's terms.
std::string LoadReason(const char* path, const vantrel::CornerJobResult& result) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) return "is a directory";
    if (result.loadOutcome == vantrel::LoadOutcome::CannotOpen) {
        return SystemReason(result.loadError);
    }
    return vantrel::DescribeLoadOutcome(result.loadOutcome);
}

int Usage(const char* problem) {
    std::fprintf(stderr, "bmpcorners: %s\n%s", problem, kUsage);
    return kExitUsage;
}

int RunInfo(const std::vector<std::string_view>& files) {
    int exitCode = kExitOk;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) std::fputs("\n", stdout);
        const std::string path(files[i]);
        if (vantrel::PrintBmpInfo(path.c_str(), stdout, stderr) != 0) {
            exitCode = kExitInputRefused;
        }
    }
    return exitCode;
}

int RunCorners(const char* input, const char* output, bool verbose) {
    const vantrel::CornerJobResult result =
        vantrel::RunCornerJob(input, [output]() { return output; });
    if (result.loadOutcome != vantrel::LoadOutcome::Loaded) {
        std::fprintf(stderr, "bmpcorners: cannot load %s: %s\n", input,
                     LoadReason(input, result).c_str());
        return kExitInputRefused;
    }
    if (!result.saved) {
        std::fprintf(stderr, "bmpcorners: cannot write %s: %s\n", output,
                     SystemReason(result.saveError).c_str());
        return kExitOutputFailed;
    }
    if (verbose) {
        std::printf("%s: %d x %d, %d bits -> %s\n", input, result.width, result.height,
                    result.bitDepth, output);
    }
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.size() == 1 && args[0] == "--help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (args.size() == 1 && args[0] == "--version") {
        std::printf("bmpcorners %s\n", VANTREL_VERSION);
        return kExitOk;
    }

    if (!args.empty() && args[0] == "--info") {
        if (args.size() == 1) return Usage("--info needs at least one file");
        return RunInfo({args.begin() + 1, args.end()});
    }

    bool verbose = false;
    std::vector<const char*> paths;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "-v") {
            verbose = true;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return Usage(("unknown option " + std::string(arg)).c_str());
        } else {
            paths.push_back(argv[i]);
        }
    }
    if (paths.size() != 2) return Usage("expected an input and an output file");
    return RunCorners(paths[0], paths[1], verbose);
}
