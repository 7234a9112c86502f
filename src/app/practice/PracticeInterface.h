#pragma once

#include <string>

namespace bv {

class ClientApp;
class ControlFile;
class MessageBoxes;

// The windows the practice-software interface hands its work to; start-up wires them to the real
// send dialog and to the main window, tests to fakes.
class PracticePorts
{
public:
    virtual ~PracticePorts() = default;
    // The send dialog, modally and without the main window (standalone flag set, spool option flag
    // clear), on the given spool directory.
    virtual void runSendDialog(const std::string& spoolDirectory) = 0;
    // The main window with the start request, under the single-instance rule: a running instance
    // receives the request instead.
    virtual void runMainWindow(const std::string& startRequest) = 0;
};

// A practice's administration software starts the client with a control file. A transfer request
// is prepared in a working directory, sent with the send dialog and answered with an error level in
// the control file; any other control file goes to the web application through the main window.
class PracticeInterface
{
public:
    // `temporaryDirectory` ends in "/".
    PracticeInterface(MessageBoxes& boxes, PracticePorts& ports, std::string temporaryDirectory);

    void run(const std::string& controlFile);

private:
    void transfer(const ControlFile& control);

    MessageBoxes& m_boxes;
    PracticePorts& m_ports;
    std::string m_temporaryDirectory;
};

// Start mode 7: evaluates the control file named on the command line and acts on it, with the
// application's message boxes and the system's temporary directory.
void runControlFile(ClientApp& app, const std::string& controlFile, PracticePorts& ports);

} // namespace bv
