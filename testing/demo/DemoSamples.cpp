// bvdemo_samples: fills a spool directory with sample XML invoices of one practice, as practice
// software would leave them, for the demo.
//   bvdemo_samples <directory> [count]

#include "billing/SampleFiles.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::cerr << "usage: bvdemo_samples <directory> [count]\n";
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    const int count = argc > 2 ? std::atoi(argv[2]) : 3;
    std::filesystem::create_directories(dir);

    const char* patients[][2] = {{"Rochat", "Julie"}, {"Favre", "Marc"},  {"Dubois", "Claire"},
                                 {"Meylan", "Luc"},   {"Perret", "Anne"}, {"Bonvin", "Paul"}};
    const std::time_t now = std::time(nullptr);
    for (int i = 0; i < count; ++i) {
        bv::samples::XmlInvoicePlan invoice;
        invoice.ean = "7601000123456";
        invoice.amountDue = std::to_string(120 + 35 * i) + "." + (i % 2 ? "50" : "00");
        invoice.timestamp = static_cast<std::int64_t>(now) - 3600 * (count - i);
        invoice.familyName = patients[i % 6][0];
        invoice.givenName = patients[i % 6][1];
        invoice.companyName = "Cabinet Dr Demo, Lausanne";
        const auto file = dir / ("facture_" + std::to_string(1001 + i) + ".xml");
        std::ofstream(file, std::ios::binary) << bv::samples::xmlInvoice(invoice);
        std::cout << file.string() << "\n";
    }
    return 0;
}
