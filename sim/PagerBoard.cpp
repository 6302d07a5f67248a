#include "sim/PagerBoard.h"

#include <algorithm>

namespace km640 {

namespace {

constexpr std::uint8_t kAckByte = 0x06;
// Line noise a board may send while it settles; never a signature byte.
constexpr std::array<std::uint8_t, 2> kNoise{0x00, 0xFF};

// A lead-form request: lead byte, signature, command, sub-command, length.
constexpr std::size_t kLeadHeader = 1 + kSignatureLength + 3;
// A compare request has no lead byte.
constexpr std::size_t kBareHeader = kSignatureLength + 3;

bool signatureSoFar(std::span<const std::uint8_t> bytes, std::size_t offset) {
    const std::size_t n = std::min(kSignatureLength, bytes.size() > offset ? bytes.size() - offset : 0);
    return std::equal(kSignature.begin(), kSignature.begin() + static_cast<std::ptrdiff_t>(n), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

void setChecksum(FrameBytes& reply) {
    const auto sum = FrameChecksum(std::span<const std::uint8_t>(reply).subspan(kSignatureLength, reply.size() - kSignatureLength - 2));
    reply[reply.size() - 2] = static_cast<std::uint8_t>(sum >> 8);
    reply[reply.size() - 1] = static_cast<std::uint8_t>(sum & 0xFF);
}

}  // namespace

bool ReplyFault::Hits(std::optional<int> requestAddress) const {
    if (!enabled) return false;
    return !address || (requestAddress && *requestAddress == *address);
}

FrameBytes BuildBoardReply(std::uint8_t command, std::uint8_t subCommand, std::span<const std::uint8_t> data) {
    FrameBytes reply(kSignature.begin(), kSignature.end());
    reply.insert(reply.end(), {command, subCommand, static_cast<std::uint8_t>(data.size())});
    reply.insert(reply.end(), data.begin(), data.end());
    reply.insert(reply.end(), {0, 0});
    setChecksum(reply);
    return reply;
}

PagerBoard::PagerBoard(const CodePlugImage& memory, BoardOptions options) : memory_(memory), options_(std::move(options)) {
    for (int i = 0; i < 3; ++i) memory_.setByte(ident::kPagerInfoBlock + i, options_.firmware[static_cast<std::size_t>(i)]);
    switch (options_.serial) {
    case SerialBlockSetting::AsInMemory: break;
    case SerialBlockSetting::Blank:
        for (int i = 0; i < ident::kSerialBlockLength; ++i) memory_.setByte(ident::kSerialNo + i, 0xFF);
        break;
    case SerialBlockSetting::Number: StoreSerialNumber(memory_, options_.serialNumber); break;
    case SerialBlockSetting::WrongChecksum:
        StoreSerialNumber(memory_, options_.serialNumber);
        memory_.setWord(ident::kSerialChecksum, static_cast<std::uint16_t>(memory_.word(ident::kSerialChecksum) + 1));
        break;
    }
    if (const auto v = options_.softwareVersion) {
        memory_.setByte(ident::kVersionBcd, static_cast<std::uint8_t>(*v / 100));
        memory_.setByte(ident::kVersionBcd + 1, static_cast<std::uint8_t>(((*v / 10) % 10) << 4 | (*v % 10)));
    }
}

std::vector<BoardReply> PagerBoard::Receive(std::span<const std::uint8_t> bytes) {
    pending_.insert(pending_.end(), bytes.begin(), bytes.end());
    std::vector<BoardReply> replies;
    while (!pending_.empty()) {
        const bool leadForm = pending_[0] == kLeadByte;
        const std::size_t signatureAt = leadForm ? 1 : 0;
        if ((!leadForm && pending_[0] != static_cast<std::uint8_t>(kSignature.front())) ||
            !signatureSoFar(pending_, signatureAt)) {
            pending_.erase(pending_.begin());  // not the start of a request
            continue;
        }
        const std::size_t header = leadForm ? kLeadHeader : kBareHeader;
        if (pending_.size() < header) break;
        const std::size_t total = header + pending_[header - 1] + 2;
        if (pending_.size() < total) break;
        const std::span<const std::uint8_t> frame(pending_.data(), total);
        const std::size_t commandAt = signatureAt + kSignatureLength;
        const auto sum = FrameChecksum(frame.subspan(commandAt, total - commandAt - 2));
        const bool intact = frame[total - 2] == (sum >> 8) && frame[total - 1] == (sum & 0xFF);
        if (intact && !options_.faults.silent && !stopped_) {
            if (auto reply = answer(frame.subspan(commandAt, total - commandAt - 2), leadForm))
                replies.push_back({total, std::move(*reply)});
        }
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(total));
    }
    return replies;
}

// frame: command, sub-command, length and body, without the checksum.
std::optional<FrameBytes> PagerBoard::answer(std::span<const std::uint8_t> frame, bool leadForm) {
    const auto body = frame.subspan(3);
    if (frame[0] == kMemoryCommand) return answerMemory(leadForm, frame[1], body);
    if (frame[0] == kControlCommand && leadForm) return answerControl(frame[1], body);
    return std::nullopt;
}

std::optional<FrameBytes> PagerBoard::answerMemory(bool leadForm, std::uint8_t subCommand,
                                                   std::span<const std::uint8_t> body) {
    if (body.size() < 2) return std::nullopt;
    const int address = body[0] << 8 | body[1];
    const bool reading = subCommand == kReadSub && body.size() == 3;
    const bool writing = subCommand == kWriteSub && leadForm;
    if (!reading && !writing) return std::nullopt;
    const int count = reading ? body[2] : static_cast<int>(body.size()) - 2;
    if (address + count > static_cast<int>(kImageSize)) return std::nullopt;

    const auto& faults = options_.faults;
    if (count == kBlockSize && faults.stopAfterBlocks && address >= *faults.stopAfterBlocks * kBlockSize) {
        stopped_ = true;
        return std::nullopt;
    }
    if (writing) {
        if (faults.noWriteAckAtBlock && address == *faults.noWriteAckAtBlock * kBlockSize) return std::nullopt;
        memory_.copyIn(address, body.subspan(2));
        ++writeCount_;
        const std::array<std::uint8_t, 1> ack{kAckByte};
        return withFaults(BuildBoardReply(kMemoryCommand, kWriteSub, ack), address);
    }
    std::vector<std::uint8_t> data(memory_.span(address, count).begin(), memory_.span(address, count).end());
    if (faults.corruptByte && *faults.corruptByte >= address && *faults.corruptByte < address + count)
        data[static_cast<std::size_t>(*faults.corruptByte - address)] ^= 0xFF;
    return withFaults(BuildBoardReply(kMemoryCommand, kReadSub, data), address);
}

std::optional<FrameBytes> PagerBoard::answerControl(std::uint8_t subCommand, std::span<const std::uint8_t> body) {
    // The command reaches the pager either way; a missing acknowledgement is
    // lost on the way back.
    if (subCommand == kClockSub) {
        if (body.size() != std::tuple_size_v<ClockPayload>) return std::nullopt;
        lastClockPayload_.emplace();
        std::copy(body.begin(), body.end(), lastClockPayload_->begin());
        if (options_.faults.noClockAck) return std::nullopt;
        const std::array<std::uint8_t, 1> ack{kAckByte};
        return withFaults(BuildBoardReply(kControlCommand, kClockSub, ack), std::nullopt);
    }
    if (subCommand == kResetSub) {
        if (body.empty()) return std::nullopt;
        ++resetCount_;
        if (options_.faults.noResetAck) return std::nullopt;
        const std::array<std::uint8_t, 2> ack{body[0], kAckByte};
        return withFaults(BuildBoardReply(kControlCommand, kResetSub, ack), std::nullopt);
    }
    return std::nullopt;
}

FrameBytes PagerBoard::withFaults(FrameBytes reply, std::optional<int> address) const {
    const auto& faults = options_.faults;
    if (faults.wrongHeader.Hits(address)) {
        reply[kSignatureLength + 1] = static_cast<std::uint8_t>(reply[kSignatureLength + 1] + 1);
        setChecksum(reply);
    }
    if (faults.wrongChecksum.Hits(address)) reply.back() = static_cast<std::uint8_t>(reply.back() + 1);
    if (faults.noise.Hits(address)) reply.insert(reply.begin(), kNoise.begin(), kNoise.end());
    return reply;
}

}  // namespace km640
