#pragma once

#include "upload/UploadJob.h"

#include <chrono>
#include <cstddef>
#include <memory>

namespace bv {

class ProfileStore;

// Status texts and error texts of the upload, word for word as the send dialog shows them.
namespace uploadtext {
inline constexpr const char* Preparing = "L'envoi est en préparation.";
inline constexpr const char* Connecting = "Etablir la connection avec le serveur brevalis";
inline constexpr const char* Transmitting = "La facture est en transmission.";
inline constexpr const char* BeingChecked = "Les factures sont contrôlées et traitées par brevalis !";
inline constexpr const char* Transmitted = "La transmission de la facture est terminée.";
inline constexpr const char* Done = "Traitement terminé";
inline constexpr const char* Interrupted = "La transmission a été interrompue.";
inline constexpr const char* TransmissionError = "Erreur de transmission";
inline constexpr const char* Abandoned = "L'envoi a été abandonné.";
} // namespace uploadtext

// Error codes the upload leaves in the send request block besides the library's error numbers.
inline constexpr int UploadStoppedOnRequest = -1;
inline constexpr int UploadHttpStatusNotOk = -3;

// Limits of one upload. No upload may hang for ever: connecting, any stretch without a byte going
// out or coming in, and a reply that has not arrived in full within its limit after the body was
// sent, end the request with the library's time-out (12002). The reply limit also holds against a
// server that keeps the idle limit from running out by sending a byte now and then.
struct UploadSettings
{
    static constexpr std::chrono::seconds DefaultReplyTimeout{300};

    std::chrono::milliseconds connectTimeout{60000};
    std::chrono::milliseconds idleTimeout{60000};
    std::chrono::milliseconds replyTimeout{DefaultReplyTimeout};
    // A reply body beyond this size is refused as an invalid server response.
    std::size_t maxReplyBytes = 64 * 1024 * 1024;
    // How long the thread waits on the network at most before it looks at the cancel event again.
    std::chrono::milliseconds cancelPollInterval{10};
};

// The upload thread's work on one send request block: posts the upload file as the body of one
// HTTP/1.0 POST to the block's URL, streamed in 1024-byte blocks with the length announced in
// advance, reads the reply into the block and leaves error code, error text and HTTP status there.
// Reports to the observer (may be null) and always ends with the cancelled and done events set and
// the finished notice. Returns 0.
int UploadThread(SendRequestBlock& block, UploadObserver* observer, const UploadSettings& settings = {});

// The limit for the whole reply after the body: profile value Abrechnungsversand `ReplyTimeout` in
// seconds; missing, not a number or not positive gives the default of 300 seconds.
std::chrono::milliseconds configuredReplyTimeout(const ProfileStore& settings);

// Starts UploadThread on a thread of its own for each transmission. With a settings store, the
// reply limit is read from the profile at each start.
class CurlUploadStarter : public UploadStarter
{
public:
    CurlUploadStarter() = default;
    explicit CurlUploadStarter(UploadSettings settings) : m_settings(settings) {}
    explicit CurlUploadStarter(const ProfileStore& store, UploadSettings settings = {})
        : m_settings(settings), m_store(&store)
    {}

    std::unique_ptr<UploadHandle> start(SendRequestBlock& block, UploadObserver* observer) override;

private:
    UploadSettings m_settings;
    const ProfileStore* m_store = nullptr;
};

} // namespace bv
