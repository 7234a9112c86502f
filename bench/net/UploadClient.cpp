// Uploads one file to one address with the client's upload thread; exit status 0 on success. Run as a
// child of the upload benchmark so that its peak memory can be measured on its own.
#include "net/UploadThread.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_upload_client <address> <upload file>\n");
        return 2;
    }
    bv::SendRequestBlock block;
    block.url = argv[1];
    block.uploadFile = argv[2];
    block.agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
    bv::UploadThread(block, nullptr);
    if (block.errorCode != 0) {
        std::fprintf(stderr, "%d %s\n", block.errorCode, block.errorText.c_str());
        return 1;
    }
    return 0;
}
