#pragma once

#include "billing/FileSniffing.h"

namespace bv {

// An XML invoice is a file ".xml" whose root element is an invoice request; other XML is not.
std::optional<int> sniffXmlInvoice(const SniffedFile& file);

} // namespace bv
