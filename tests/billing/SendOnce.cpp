// One transmission of a spool directory in a process of its own, so that a test can kill the
// client in the middle of it: billing_send_once <chz|cha> <spool directory> <session id>.
// Like the send dialog it first completes what an earlier run left behind. The profile comes from
// BVALS_REGISTRY_DIR; messages go to stderr; prints "confirmed", "not confirmed" or "nothing to send"
// at the end.

#include "billing/SendJournal.h"
#include "billing/SpoolDetection.h"
#include "config/SpoolDirectory.h"
#include "billing/formats/cha/CCHASpool.h"
#include "billing/formats/chz/CCHZSpool.h"
#include "config/Profile.h"
#include "net/UploadThread.h"
#include "platform/Files.h"
#include "platform/MessageBoxes.h"
#include "platform/Registry.h"

#include <cstdio>
#include <memory>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: billing_send_once <chz|cha> <spool directory> <session id>\n");
        return 2;
    }
    const std::string kind = argv[1];
    auto registry = bv::Registry::fromEnvironment();
    bv::Profile profile(*registry);
    bv::ConsoleMessageBoxes boxes;
    bv::files::RemovableProbe probe;
    bv::CompleteInterruptedTransmission(bv::resolveSpoolDirectory(argv[2], profile), profile, boxes);
    std::unique_ptr<bv::CAbrechnungSpool> spool;
    if (kind == "chz")
        spool = std::make_unique<bv::CCHZSpool>(boxes, profile, probe, argv[2]);
    else
        spool = std::make_unique<bv::CCHASpool>(boxes, profile, probe, argv[2]);

    if (spool->IsEmpty()) {
        std::printf("nothing to send\n");
        return 0;
    }
    bv::CurlUploadStarter starter;
    bv::SendContext context;
    context.sessionId = argv[3];
    context.agent = "billing_send_once";
    context.starter = &starter;
    if (spool->StartSend(context) != 1)
        return 1;
    std::printf("started\n");
    std::fflush(stdout);
    spool->sendRequest().done.wait();
    spool->FinishSend();
    std::printf(spool->transmissionConfirmed() ? "confirmed\n" : "not confirmed\n");
    return 0;
}
