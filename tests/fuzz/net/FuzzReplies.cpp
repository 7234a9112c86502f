// Billing-centre replies are outside input: any bytes must end in the client's own handling of a
// faulty reply, never in a crash. Each input is read as a login reply, a backup-server reply and a
// contract list.
#include "net/BackupReply.h"
#include "net/ContractList.h"
#include "net/LoginReplyHandler.h"
#include "net/SessionRecord.h"

#include "FakePorts.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view reply(reinterpret_cast<const char*>(data), size);

    bv::test::RecordingBoxes boxes;
    bv::test::MemoryProfileStore settings;
    settings.failWrites = size % 2 == 1;
    for (std::size_t i = 0; i < 8; ++i)
        boxes.answers.push_back(i % 2 ? bv::MbResult::Yes : bv::MbResult::No);
    bv::SessionRecord session;
    session.updatesAllowed = size % 3 != 0;
    bv::ContractList contracts;
    std::size_t appended = 0;
    bv::LoginReplyHandler handler(session, contracts, boxes, settings, [&](const std::string&) { ++appended; });
    const bv::LoginReplyOutcome outcome = handler.handle(reply);
    if (!outcome.recognised && session.loggedIn)
        __builtin_trap(); // a faulty reply never leaves the user logged in
    if (contracts.count() > bv::ContractList::Capacity || appended > bv::ContractList::Capacity * 64)
        __builtin_trap();

    bv::handleBackupReply(reply, boxes);

    bv::ContractList list;
    list.replaceFrom(reply, {});
    if (list.count() > bv::ContractList::Capacity)
        __builtin_trap();
    (void)list.contains(reply.substr(0, 12));
    return 0;
}
