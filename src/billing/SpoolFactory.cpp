#include "billing/SpoolFactory.h"

#include "billing/SpoolDetection.h"
#include "billing/formats/cha/CCHASpool.h"
#include "billing/formats/chz/CCHZSpool.h"
#include "billing/formats/dds/CDDSSpool.h"
#include "billing/formats/mas/CMASSpool.h"
#include "billing/formats/pad/CPADSpool.h"

#include <iterator>

namespace bv {

namespace {

template <typename Spool> std::unique_ptr<CAbrechnungSpool> make(const SpoolRequest& request)
{
    // A missing currency is no error in this edition's formats; the euro default decides it.
    return std::make_unique<Spool>(request.boxes, request.profile, request.removableProbe, request.directory, false,
                                   request.euroDefault);
}

// The DDS spool reads and validates its file, so that the practice software learns what is wrong with
// its output, even where this edition then refuses the type.
std::unique_ptr<CAbrechnungSpool> makeDds(const SpoolRequest& request)
{
    return std::make_unique<CDDSSpool>(request.boxes, request.profile, request.removableProbe, request.directory,
                                       request.spoolOption, request.feeValues);
}

// The PAD and MAS spools read and check their file in the same way: a damaged file is reported with
// what is wrong with it, a sound one is then refused as a type this edition does not transmit.
std::unique_ptr<CAbrechnungSpool> makePad(const SpoolRequest& request)
{
    return std::make_unique<CPADSpool>(request.boxes, request.profile, request.removableProbe, request.directory,
                                       request.feeValues);
}

std::unique_ptr<CAbrechnungSpool> makeMas(const SpoolRequest& request)
{
    return std::make_unique<CMASSpool>(request.boxes, request.profile, request.removableProbe, request.directory,
                                       request.feeValues);
}

// This edition transmits CHZ files and XML invoices; the fixed-record formats are recognised, the DDS,
// PAD and MAS spools read their file, and none of them is transmitted.
constexpr SpoolTypeRow SpoolTypes[] = {
    {spool_type::Empty, SpoolFinding::Nothing, nullptr, false},
    {spool_type::Unrecognised, SpoolFinding::Unreadable, nullptr, false},
    {spool_type::CannotOpen, SpoolFinding::Unreadable, nullptr, false},
    {spool_type::Dds, SpoolFinding::Format, &makeDds, false},
    {spool_type::Pad, SpoolFinding::Format, &makePad, false},
    {spool_type::Mas, SpoolFinding::Format, &makeMas, false},
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

std::span<const SpoolTypeRow> spoolTypeRows()
{
    return SpoolTypes;
}

std::unique_ptr<CAbrechnungSpool> CreateSpool(int spoolType, const SpoolRequest& request)
{
    const SpoolTypeRow* row = spoolTypeRow(spoolType);
    return row && row->make ? row->make(request) : nullptr;
}

} // namespace bv
