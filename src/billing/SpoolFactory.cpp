#include "billing/SpoolFactory.h"

#include "billing/SpoolDetection.h"
#include "billing/formats/cha/CCHASpool.h"
#include "billing/formats/chz/CCHZSpool.h"

#include <iterator>

namespace bv {

namespace {

template <typename Spool> std::unique_ptr<CAbrechnungSpool> make(const SpoolRequest& request)
{
    // A missing currency is no error in this edition's formats; the euro default decides it.
    return std::make_unique<Spool>(request.boxes, request.profile, request.removableProbe, request.directory, false,
                                   request.euroDefault);
}

// This edition transmits CHZ files and XML invoices; the fixed-record formats are recognised, and
// their spools are not built here.
constexpr SpoolTypeRow SpoolTypes[] = {
    {spool_type::Empty, SpoolFinding::Nothing, nullptr, false},
    {spool_type::Unrecognised, SpoolFinding::Unreadable, nullptr, false},
    {spool_type::CannotOpen, SpoolFinding::Unreadable, nullptr, false},
    {spool_type::Dds, SpoolFinding::Format, nullptr, false},
    {spool_type::Pad, SpoolFinding::Format, nullptr, false},
    {spool_type::Mas, SpoolFinding::Format, nullptr, false},
    {spool_type::Chz, SpoolFinding::Format, &make<CCHZSpool>, true},
    {spool_type::Cha, SpoolFinding::Format, &make<CCHASpool>, true},
};

} // namespace

const SpoolTypeRow* spoolTypeRow(int spoolType)
{
    for (const SpoolTypeRow& row : SpoolTypes) {
        if (row.spoolType == spoolType)
            return &row;
    }
    return nullptr;
}

std::unique_ptr<CAbrechnungSpool> CreateSpool(int spoolType, const SpoolRequest& request)
{
    const SpoolTypeRow* row = spoolTypeRow(spoolType);
    return row && row->make ? row->make(request) : nullptr;
}

} // namespace bv
