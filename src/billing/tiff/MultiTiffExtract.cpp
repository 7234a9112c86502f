#include "billing/tiff/MultiTiffExtract.h"

#include "billing/AdzCodes.h"
#include "billing/BillingTexts.h"
#include "billing/CAdzException.h"
#include "config/ProfileStore.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Process.h"
#include "platform/Registry.h"
#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

namespace bv {

namespace txt = billing_texts;

namespace {

namespace fs = std::filesystem;

// The word of the splitter's log that marks a failed split.
const char* const LogFailure = "Failure";
constexpr std::size_t LogReadLimit = 5000;
const char* const LogName = "lfclog.txt";

// Number of a page file "<stem>_Page<digits><extension>"; 0 for any other name.
int pageNumberOf(const std::string& name, const std::string& prefix, const std::string& extension)
{
    if (name.size() <= prefix.size() + extension.size() || !iequals(name.substr(0, prefix.size()), prefix) ||
        !iequals(name.substr(name.size() - extension.size()), extension))
        return 0;
    const std::string digits = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
    if (digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::stoi(digits);
}

} // namespace

std::string MultiTiffExtract::splitterPathFrom(Registry& registry)
{
    return RegistryKeyReader(registry, SplitterKey).readString(SplitterValue);
}

std::string MultiTiffExtract::splitterPathFrom(const ProfileStore& profile)
{
    return profile.machineValue(SplitterKey, SplitterValue);
}

MultiTiffExtract::MultiTiffExtract(MessageBoxes& boxes, std::string splitterPath, std::chrono::milliseconds waitStep)
    : m_boxes(boxes), m_splitterPath(std::move(splitterPath)), m_waitStep(waitStep)
{}

int MultiTiffExtract::extract(const std::string& attachmentPath, int invoiceIndex) const
{
    const int invoiceNumber = invoiceIndex + 1;
    const fs::path attachment(attachmentPath);
    const std::string directory = attachment.parent_path().string();
    std::string copyName = attachment.filename().string();
    if (!copyName.empty())
        copyName[0] = 'x';
    const std::string copyPath = (fs::path(directory) / copyName).string();
    const std::string stem = fs::path(copyName).stem().string();
    const std::string extension = fs::path(copyName).extension().string();
    const std::string pagePrefix = stem + "_Page";
    const std::string logPath = (fs::path(directory) / LogName).string();

    // A copy, pages or a log left by an earlier split that did not finish would be taken for this one's.
    if (const SystemError copied = files::copyFile(attachmentPath, copyPath, true))
        m_boxes.show(strFormat(txt::SplitCopyFailed, windowsFileError(copied.code), attachmentPath.c_str()), "",
                     MbIcon::None, MbButtons::Ok);
    for (const files::DirEntry& entry : files::listDirectory(directory, pagePrefix + "*" + extension)) {
        if (!entry.isDirectory && pageNumberOf(entry.name, pagePrefix, extension) > 0)
            files::removeFile(fs::path(directory) / entry.name);
    }
    files::removeFile(logPath);

    const std::string targetDirectory = directory + "/";
    const std::vector<std::string> arguments = {copyPath, targetDirectory, "/F17", "/L", logPath, "/NOUI", "/EM"};
    const std::string commandLine =
        m_splitterPath + " " + copyPath + " " + targetDirectory + " /F17 /L " + logPath + " /NOUI /EM";
    errno = ENOENT;
    const auto pid = m_splitterPath.empty() ? std::nullopt : process::start(m_splitterPath, arguments);
    if (!pid) {
        throw BV_ADZ_ERROR(adz::SplitStart, strFormat(txt::SplitStartFailed, commandLine.c_str(),
                                                      systemErrorText(errno).c_str(), invoiceNumber));
    }

    process::WaitOutcome outcome = process::waitFor(*pid, m_waitStep);
    while (outcome.state == process::WaitState::TimedOut) {
        if (m_boxes.show(txt::SplitWaitQuestion, txt::SplitWaitCaption, MbIcon::Warning, MbButtons::YesNo,
                         MbResult::Yes) != MbResult::Yes) {
            // A splitter nobody waits for any more must not go on writing pages into the directory.
            process::terminate(*pid);
            throw BV_ADZ_ERROR(adz::SplitWait, strFormat(txt::SplitWaitFailed, commandLine.c_str(),
                                                         systemErrorText(ETIMEDOUT).c_str(), invoiceNumber));
        }
        outcome = process::waitFor(*pid, m_waitStep);
    }
    if (outcome.state == process::WaitState::Failed) {
        throw BV_ADZ_ERROR(adz::SplitWait, strFormat(txt::SplitWaitFailed, commandLine.c_str(),
                                                     systemErrorText(errno).c_str(), invoiceNumber));
    }

    const std::string log = files::readFile(logPath, LogReadLimit).value_or("");
    // A splitter that crashed may have written only some pages, and no log to say so.
    if (log.find(LogFailure) != std::string::npos || outcome.status < 0)
        return -1;

    int pages = 0;
    for (const files::DirEntry& entry : files::listDirectory(directory, pagePrefix + "*" + extension)) {
        if (!entry.isDirectory && pageNumberOf(entry.name, pagePrefix, extension) > 0)
            ++pages;
    }
    const std::string pageBase = stem.substr(0, stem.size() >= 2 ? stem.size() - 2 : 0);
    for (int page = 1; page <= pages; ++page) {
        const std::string from =
            (fs::path(directory) / strFormat("%s%02d%s", pagePrefix.c_str(), page, extension.c_str())).string();
        const std::string to = (fs::path(directory) / (pageBase + "0" + std::to_string(page) + extension)).string();
        // The page of an earlier extraction under the same name is replaced by this one.
        if (const SystemError moved = files::moveFile(from, to, true))
            m_boxes.show(strFormat(txt::SplitRenameFailed, windowsFileError(moved.code), from.c_str()), "",
                         MbIcon::None, MbButtons::Ok);
    }

    if (files::removeFile(copyPath))
        throw BV_ADZ_ERROR(adz::SplitDelete, strFormat(txt::SplitDeleteFailed, copyPath.c_str()));
    return pages;
}

} // namespace bv
