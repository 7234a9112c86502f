// Downloads one address into one file with the client's download routine; exit status 0 on success.
// Run as a child of the download benchmark so that its peak memory can be measured on its own.
#include "net/InternetRequest.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_net_download_client <address> <target file>\n");
        return 2;
    }
    bv::InternetRequest request;
    request.address = argv[1];
    request.targetFile = argv[2];
    request.agent = "brevalis-Client 1.5.1 (Build 1051) CH-FR";
    bv::runDownload(request);
    if (request.errorCode != 0) {
        std::fprintf(stderr, "%d %s\n", request.errorCode, request.errorText.c_str());
        return 1;
    }
    return 0;
}
