#include "cli/CliRunner.h"

#include "cli/CliArguments.h"
#include "cli/CliHelp.h"
#include "cli/ExitCode.h"
#include "cli/FileCommands.h"
#include "cli/PagerCommands.h"
#include "cli/RecordCommands.h"
#include "cli/TextCommands.h"
#include "cli/RosterCommands.h"
#include "codeplug/CodePlugImage.h"

namespace km640::cli {

int runCli(std::span<const std::string> args, CliContext& context) {
    const CliParse parse = parseCliArguments(args);
    if (!parse.error.empty()) {
        context.err << "km640-cli: " << parse.error << "\nTry \"km640-cli --help\".\n";
        return toInt(ExitCode::Usage);
    }
    const CliArguments& a = parse.arguments;
    switch (a.command) {
    case Command::Help: context.out << cliHelpText(); return toInt(ExitCode::Success);
    case Command::Version: context.out << "km640-cli " << ProgramVersionText() << "\n"; return toInt(ExitCode::Success);
    case Command::Dump: return runDump(a, context.out, context.err);
    case Command::Check: return runCheck(a, context.out, context.err);
    case Command::Set: return runSet(a, context.out, context.err);
    case Command::Export: return runExport(a, context.out, context.err);
    case Command::Import: return runImport(a, context.out, context.err);
    case Command::Roster: return runRoster(a, context);
    case Command::Diff:
        if (a.port.empty()) return runDiffFiles(a, context.out, context.err);
        break;
    case Command::Ports: return runPorts(context);
    case Command::Records: return runRecords(a, context);
    case Command::Info:
    case Command::Read:
    case Command::Write:
    case Command::Verify:
    case Command::SyncTime:
    case Command::Production: break;
    }
    return PagerCommands(a, context).run();
}

}  // namespace km640::cli
