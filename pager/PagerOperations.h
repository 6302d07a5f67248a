#pragma once
// The pager operations: probe and identification, Read, Write, Verify, clock
// sync with reset, and the production write. They run synchronously, drive
// an OperationView, talk to the programmer board through one frame session,
// and leave through one exit: whatever happens, the port is closed (SYNC TIME
// keeps it open, as the board expects the next command soon), the progress
// window is closed, the main window is enabled and the outcome is reported.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "codeplug/CodePlugImage.h"
#include "link/FrameSession.h"
#include "link/SerialPort.h"
#include "pager/OperationView.h"
#include "pager/ProductionLog.h"
#include "platform/Services.h"

namespace km640 {

enum class Outcome {
    Success,
    Busy,               // another exchange is running; nothing was done
    BoardNotResponding,
    IdentificationFail, // version, board data or serial number block not read
    SerialChecksumError,
    ReadFail,
    ChecksumError,      // the pager's image checksum is wrong
    WriteFail,
    VerifyFail,
    LogError,           // the production log could not be opened or created; nothing was programmed
    PortError,          // the port failed in the middle of an exchange
    Interrupted,        // a stop was asked for and the transfer ended after the block being exchanged
};

struct OperationResult {
    OperationResult() = default;
    OperationResult(Outcome outcome_, std::string text_, std::string explanation_ = {})
        : outcome(outcome_), text(std::move(text_)), explanation(std::move(explanation_)) {}

    Outcome outcome = Outcome::Success;
    std::string text;  // the outcome as the status bar shows it
    // What the outcome means for the pager, when the status text alone does
    // not say it: a board that stopped answering in the middle of a write.
    std::string explanation;
    bool ok() const { return outcome == Outcome::Success; }
};

// What became of the day's log in a production run.
enum class ProductionLogOutcome {
    LineWritten,
    NoLine,          // the run stopped before the pager was written (no board, board data not read, port lost)
    NotOpened,       // the log could not be created or opened; nothing was programmed
    LineNotWritten,  // the pager was written, but its line did not reach the log
};

// A production run: the outcome of the write, and what became of its log line.
struct ProductionResult {
    OperationResult run;  // LogError when the log could not be opened
    ProductionLogOutcome log = ProductionLogOutcome::NoLine;
    std::string logPath;    // the day's log
    std::string logReason;  // why the log failed, in the system's words
};

// What a pager tells about itself: the version of the program that last
// wrote it, its firmware version and its serial number. A part is empty when
// the operation stopped before reading it.
struct PagerIdentity {
    std::optional<std::array<std::uint8_t, 16>> identificationBlock;  // model text and version bytes, from 1968
    std::optional<std::array<std::uint8_t, 3>> firmware;
    std::optional<std::string> serialNo;  // as the serial number field shows it; empty: no serial number
};

class PagerOperations {
public:
    PagerOperations(CodePlugImage& image, SerialPort& port, OperationView& view, MessageBoxes& messages,
                    LocalClock& clock, std::string appTitle);

    void setPortList(std::vector<std::string> ports) { portList_ = std::move(ports); }
    const std::vector<std::string>& portList() const { return portList_; }
    bool busy() const { return busy_; }
    // The file that holds the pager's memory as it was before the next Write
    // (its backup), named if that write leaves the pager half-written; for
    // the next operation only.
    void setBackupPath(std::string path) { backupPath_ = std::move(path); }
    // Asked between two block exchanges of a transfer: true ends it there
    // (km640-cli on a second Ctrl-C). The window never stops a transfer.
    void setStopRequest(std::function<bool()> stopRequested) { stopRequested_ = std::move(stopRequested); }

    // The menu operations.
    OperationResult Read();
    OperationResult Write();
    // With `memory`, a Verify that finds a difference goes on reading the
    // rest, and hands out the pager's whole memory as it read it when every
    // block arrived (for the list of fields that differ, without reading the
    // pager again); otherwise `memory` is reset.
    OperationResult Verify(std::optional<CodePlugImage>* memory = nullptr);
    // SYNC TIME: sends the clock string's time, then resets the pager.
    OperationResult SyncTime(const std::string& clockText);
    // One production run: the serial number goes into the image and the pager
    // is written; the result line goes into the day's log in logFolder. A log
    // that cannot be opened stops the run before the pager is touched; a line
    // that cannot be written after the pager was written is reported beside
    // the write's own outcome.
    ProductionResult ProductionWrite(const std::string& serialNo, const std::string& logFolder);
    // A further line about a pager in the day's log, after its run's own
    // line: what became of the run in the production record meanwhile.
    LogStep NoteInProductionLog(const std::string& serialNo, const std::string& logFolder, const std::string& text);
    // Asks the pager who it is without changing anything; the fields read
    // before a failing step are filled in.
    OperationResult Identify(PagerIdentity& identity);
    // Reads the pager's whole memory as it is into memory, whether or not its
    // image checksum is right: a backup of a pager that can always be
    // written back, or the bytes a failed Verify is explained with. The
    // edited image is not touched.
    OperationResult ReadMemory(CodePlugImage& memory);
    // The start-up search: the first port of the list on which the board
    // answers is selected and left open.
    bool ProbeAllPorts();

    // Steps shared by the operations.
    bool ProbeSelectedPort();
    bool ReadPagerInfoBlock(bool showVersion);
    enum class SerialRead { Done, ReadFail, ChecksumFail };
    SerialRead ReadSerialBlock();
    // The 16 bytes at 1968: model text and, in bytes 14 and 15, the version
    // of the program that last wrote the pager.
    std::optional<std::array<std::uint8_t, 16>> ReadIdentificationBlock();
    bool SendClock();
    bool SendReset();

    FrameSession& session() { return session_; }
    // The firmware version the last operation read from the board data
    // block; empty when it stopped before.
    const std::optional<std::array<std::uint8_t, 3>>& firmwareRead() const { return firmwareRead_; }

private:
    enum class BlockOutcome { Success, WriteFail, VerifyFail, Interrupted };

    OperationResult guarded(const std::function<OperationResult()>& body, bool production = false);
    void openSelectedPortIfClosed();
    bool probe(const std::string& portName);
    void closePortQuietly();
    OperationResult boardNotResponding(const char* readyText, bool production);
    OperationResult stopWithMessage(Outcome outcome, const std::string& text, const std::string& caption,
                                    bool setPanel0, bool production);
    BlockOutcome writeAndCompareBlocks();
    // Reads the 32 blocks to their own addresses in buffer, advancing the
    // gauge; false at the first block that does not arrive.
    bool readAllBlocks(std::span<std::uint8_t> buffer);
    bool stopRequested() const { return stopRequested_ && stopRequested_(); }
    void clockAndReset(int pauseMs, const char* resetActivity);
    void storeClockSetting();
    static OperationResult writeResult(BlockOutcome outcome);
    // A write whose board stopped answering in the block loop: the result
    // explained, and the explanation shown when show is set (a production
    // line goes on with the next pager: its failure is in the log).
    void explainHalfWritten(OperationResult& result, bool show);
    OperationResult readFailure() const;
    void begin(bool hideFirmware, bool commit, bool clearOutcome);
    void showStep(const char* caption, const char* activity);
    void startGauge(const char* caption, const char* activity);
    std::optional<OperationResult> serialStep();
    OperationResult finish(const OperationResult& result, int pauseMs, bool reportOutcome);
    std::string selectedPortName();

    OperationResult doRead();
    OperationResult doWrite();
    OperationResult doVerify(std::optional<CodePlugImage>* memory);
    OperationResult doIdentify(PagerIdentity& identity);
    OperationResult doReadMemory(CodePlugImage& memory);
    OperationResult doProduction(const std::string& serialNo, const std::string& logFolder,
                                 ProductionResult& production);

    CodePlugImage& image_;
    SerialPort& port_;
    OperationView& view_;
    MessageBoxes& messages_;
    LocalClock& clock_;
    std::string appTitle_;
    std::vector<std::string> portList_;
    FrameSession session_;
    bool busy_ = false;
    std::function<bool()> stopRequested_;
    std::optional<std::array<std::uint8_t, 3>> firmwareRead_;
    std::string backupPath_;
    int blockUnderWay_ = 0;      // the block being written, from 1; 0 outside a write's blocks
    bool boardWentSilent_ = false;  // no answer to a block's write or read-back
};

// Closes the port, ignoring a port that fails even to close (it is gone, and
// the next open starts afresh).
void ClosePortQuietly(SerialPort& port);

// The message of a board that does not answer, with its line breaks.
extern const char* const kBoardNotResponding;

// What a board that stopped answering during block `block` (from 1) of a
// write means for the pager, and where its memory from before the write is
// (backupPath; empty when no backup was taken).
std::string HalfWrittenText(const std::string& port, int block, const std::string& backupPath);

}  // namespace km640
