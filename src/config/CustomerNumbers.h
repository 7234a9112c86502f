#pragma once

#include <string>
#include <string_view>

namespace bv {

class ProfileStore;

// The practice's customer numbers with the billing centre, kept in General Kundennummer as six-digit
// numbers separated by ";" ("000012;000034"). Numbers compare as decimal values; a piece that
// converts to zero by the decimal rule is no customer number.
namespace customers {

// Six digits with leading zeros ("%06d").
std::string format(int number);

// Every non-zero piece of the list, six-digit, joined by ";": "12;abc;0034" -> "000012;000034".
std::string normalise(std::string_view list);

// The list with one number added at the end; a zero number or one already in the list leaves the
// list as it is.
std::string append(std::string_view list, int number);

// The first piece of the list by the decimal rule (0 for an empty list).
int first(std::string_view list);

// How many non-zero numbers the list holds.
int count(std::string_view list);

// Result of a change to the stored list: the list as it is now meant to be, and whether the profile
// holds it (false when the write failed).
struct StoreResult
{
    std::string list;
    bool stored = false;
};

// The stored list read, normalised and written back (also when it is empty).
StoreResult normaliseStored(ProfileStore& profile);

// Adds the number given as text (decimal rule) to the stored list; used when the billing centre
// lists the user's contracts at login. Writes only when the list changes.
StoreResult appendStored(ProfileStore& profile, std::string_view numberText);

} // namespace customers
} // namespace bv
