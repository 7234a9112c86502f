#pragma once

#include "app/send/SendDialogController.h"
#include "app/send/TestFileController.h"

namespace bv {

class ClientApp;
class FileChooser;
class FeeValueTable;
class KeepAliveTimer;
class LoginService;
class UiDispatcher;
class UploadStarter;
namespace files {
class RemovableProbe;
}

// The fee value table of the process: created on first use and never emptied; every opening of the
// send dialog adds the configured lists to it.
FeeValueTable& processFeeValueTable();

// What the send dialog of this process works with, taken from the application object.
SendDialogDependencies sendDialogDependencies(ClientApp& app, LoginService& login, UploadStarter& starter,
                                              UiDispatcher& dispatcher, KeepAliveTimer& timer,
                                              const files::RemovableProbe& removableProbe);

// What the test-file dialog of this process works with.
TestFileDependencies testFileDependencies(ClientApp& app, UploadStarter& starter, UiDispatcher& dispatcher,
                                          FileChooser& chooser);

} // namespace bv
