#include "billing/SendJournal.h"

#include "billing/BillingTexts.h"
#include "billing/CAbrechnungSpool.h"
#include "billing/OpenFile.h"
#include "config/ProfileStore.h"
#include "config/ProfileKeys.h"
#include "platform/MessageBoxes.h"
#include "platform/Text.h"

#include <charconv>
#include <filesystem>
#include <utility>

namespace bv {

namespace txt = billing_texts;

namespace {

constexpr std::string_view Magic = "brevalis send journal 1";
constexpr std::string_view End = "end";
constexpr const char* JournalName = "Tmp/send.journal";
// A journal names every invoice of a package in one line each; far beyond any real spool.
constexpr std::size_t MaxJournalBytes = 64u << 20;

// Names and texts from outside may hold blanks, line breaks or anything else: bytes up to the blank,
// "%" and DEL are written as "%XX", so every value is one word of the line.
std::string escape(std::string_view text)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == '%' || byte == 0x7F) {
            out += '%';
            out += Hex[byte >> 4];
            out += Hex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> unescape(std::string_view word)
{
    std::string out;
    out.reserve(word.size());
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (word[i] != '%') {
            out += word[i];
            continue;
        }
        if (i + 2 >= word.size())
            return std::nullopt;
        const int high = hexDigit(word[i + 1]);
        const int low = hexDigit(word[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

template <typename Number> std::optional<Number> number(std::string_view word)
{
    Number value{};
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || error != std::errc() || end != word.data() + word.size())
        return std::nullopt;
    return value;
}

// The words of a line, split at single blanks; an empty word (two blanks) makes it malformed.
std::vector<std::string_view> words(std::string_view line)
{
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t blank = line.find(' ', start);
        out.push_back(line.substr(start, blank == std::string_view::npos ? std::string_view::npos : blank - start));
        if (blank == std::string_view::npos)
            return out;
        start = blank + 1;
    }
}

// A plain name in the directory it is written for: no path, nothing that leads elsewhere.
bool plainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::optional<JournalFile> parseFile(const std::vector<std::string_view>& w)
{
    if (w.size() != 6)
        return std::nullopt;
    const auto device = number<std::uint64_t>(w[1]);
    const auto inode = number<std::uint64_t>(w[2]);
    const auto size = number<std::int64_t>(w[3]);
    const auto modified = number<std::int64_t>(w[4]);
    auto name = unescape(w[5]);
    if (!device || !inode || !size || *size < 0 || !modified || !name || !plainName(*name))
        return std::nullopt;
    return JournalFile{std::move(*name), files::FileIdentity{*device, *inode, *size, *modified}};
}

// The journal's text; nullopt for anything that cannot be one (unreadable, too long, no plain file).
std::optional<std::string> readJournal(const std::string& path)
{
    auto file = OpenFile::open(path);
    const std::int64_t size = file ? file->size() : -1;
    if (size < 0 || static_cast<std::uint64_t>(size) > MaxJournalBytes)
        return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    if (file->read(text.data(), text.size()) != size)
        return std::nullopt;
    return text;
}

// Marks what a confirmed journal names as sent; the profile entries come first, as in a transmission.
void complete(const SendJournal& journal, const std::string& spoolDir, ProfileStore& profile, MessageBoxes& boxes)
{
    profile.write(profilekey::LastStapel, journal.keyText, std::to_string(journal.batchNumber));
    profile.write(profilekey::LastSend, journal.keyText, journal.sendTime);

    const bool xml = journal.typeCode == "CA";
    const std::string sentDir = spoolDir + "Sent/";
    if (xml)
        files::createDirectory(sentDir);
    for (const JournalFile& file : journal.files) {
        const std::string path = spoolDir + file.name;
        const auto now = files::fileIdentity(path);
        if (!now)
            continue; // marked before the process ended
        if (*now != file.identity) {
            boxes.show(strFormat(txt::ChangedSinceRead, path.c_str()), txt::CaptionCompany, MbIcon::Warning);
            continue;
        }
        if (!xml)
            markFileSent(path, journal.removable, boxes);
        else if (files::moveFile(path, sentDir + file.name, true))
            boxes.show(strFormat(txt::NotMarkedSent, path.c_str()), txt::CaptionCompany, MbIcon::Warning);
    }
    // The package of XML invoices is scratch, and so is the working copy of a CHZ file when it lies
    // in the temporary directory; in the spool directory it stays as the record of the sent file.
    if (xml && journal.upload.rfind("CHA_", 0) == 0)
        files::removeFile(spoolDir + "Tmp/" + journal.upload);
    if (!xml && journal.removable)
        files::removeFile(files::temporaryDirectory() + journal.upload);
}

} // namespace

std::string SendJournal::serialize() const
{
    std::string out(Magic);
    out += "\nstate ";
    out += state == State::Confirmed ? "confirmed" : "pending";
    out += "\ntype " + escape(typeCode);
    out += "\nkey " + escape(keyText);
    out += "\nbatch " + std::to_string(batchNumber);
    out += "\nsent " + escape(sendTime);
    out += "\nupload " + escape(upload);
    out += removable ? "\nremovable 1" : "\nremovable 0";
    out += '\n';
    for (const JournalFile& file : files) {
        out += "file " + std::to_string(file.identity.device) + ' ' + std::to_string(file.identity.inode) + ' ' +
               std::to_string(file.identity.size) + ' ' + std::to_string(file.identity.modified) + ' ' +
               escape(file.name) + '\n';
    }
    out += End;
    out += '\n';
    return out;
}

std::optional<SendJournal> SendJournal::parse(std::string_view text)
{
    const std::string terminator = "\n" + std::string(End) + "\n";
    if (text.size() < Magic.size() + 1 + terminator.size() || text.substr(0, Magic.size()) != Magic ||
        text[Magic.size()] != '\n' || text.substr(text.size() - terminator.size()) != terminator)
        return std::nullopt;
    text = text.substr(Magic.size() + 1, text.size() - Magic.size() - 1 - terminator.size());

    SendJournal journal;
    // Each single value at most once; all but the send time must be there.
    bool seenState = false, seenType = false, seenKey = false, seenBatch = false, seenSent = false, seenUpload = false,
         seenRemovable = false;
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        const std::string_view line = text.substr(0, lineEnd);
        text = lineEnd == std::string_view::npos ? std::string_view() : text.substr(lineEnd + 1);
        const std::vector<std::string_view> w = words(line);
        const std::string_view keyword = w[0];
        if (keyword == "file") {
            auto file = parseFile(w);
            if (!file)
                return std::nullopt;
            journal.files.push_back(std::move(*file));
            continue;
        }
        if (w.size() != 2)
            return std::nullopt;
        const std::string_view value = w[1];
        const auto once = [](bool& seen) { return !std::exchange(seen, true); };
        if (keyword == "state" && once(seenState)) {
            if (value != "pending" && value != "confirmed")
                return std::nullopt;
            journal.state = value == "confirmed" ? State::Confirmed : State::Pending;
        } else if (keyword == "batch" && once(seenBatch)) {
            const auto batch = number<int>(value);
            if (!batch)
                return std::nullopt;
            journal.batchNumber = *batch;
        } else if (keyword == "removable" && once(seenRemovable)) {
            if (value != "0" && value != "1")
                return std::nullopt;
            journal.removable = value == "1";
        } else {
            std::string* target = nullptr;
            if (keyword == "type" && once(seenType))
                target = &journal.typeCode;
            else if (keyword == "key" && once(seenKey))
                target = &journal.keyText;
            else if (keyword == "sent" && once(seenSent))
                target = &journal.sendTime;
            else if (keyword == "upload" && once(seenUpload))
                target = &journal.upload;
            auto decoded = target ? unescape(value) : std::nullopt;
            if (!decoded)
                return std::nullopt;
            *target = std::move(*decoded);
        }
    }
    if (!seenState || !seenType || !seenKey || !seenBatch || !seenUpload || !seenRemovable ||
        !plainName(journal.upload) || (journal.state == State::Confirmed && journal.sendTime.empty()))
        return std::nullopt;
    return journal;
}

std::string SendJournal::pathIn(const std::string& spoolDirectory)
{
    return spoolDirectory + JournalName;
}

SystemError SendJournal::write(const std::string& spoolDirectory) const
{
    const std::filesystem::path path = pathIn(spoolDirectory);
    if (SystemError error = files::createDirectory(path.parent_path()))
        return error;
    return files::writeFileAtomic(path, serialize(),
                                  state == State::Confirmed ? files::Durability::OnDisk : files::Durability::InProcess);
}

void SendJournal::discard(const std::string& spoolDirectory)
{
    files::removeFile(pathIn(spoolDirectory));
}

void CompleteInterruptedTransmission(const std::string& spoolDirectory, ProfileStore& profile, MessageBoxes& boxes)
{
    const std::string path = SendJournal::pathIn(spoolDirectory);
    if (!files::fileIdentity(path))
        return;
    const std::optional<std::string> text = readJournal(path);
    const auto journal = text ? SendJournal::parse(*text) : std::nullopt;
    if (journal && journal->state == SendJournal::State::Confirmed)
        complete(*journal, spoolDirectory, profile, boxes);
    SendJournal::discard(spoolDirectory);
}

} // namespace bv
