#include "mixing_methods.h"

namespace {

struct TMethodRow {
    std::string_view Name;
    TMethodSteps Steps;
};

// "A (pulse) in B/H2O" runs the constant-flow steps only: gas A gets its
// planned average flow as a set-point and no pulses.
constexpr TMethodRow DispatchTable[] = {
    {"A (constant) in B", {true, false}},
    {"A in B (limited)", {true, false}},
    {"A (pulse) in B", {true, true}},
    {"A (pulse) in B/H2O", {true, false}},
    {"B (constant) in A", {true, false}},
    {"B in A (limited)", {true, false}},
    {"A (constant) in B/H2O", {false, false}},
    {"A in B/H2O (limited)", {false, false}},
    {"B/H2O (constant) in A", {false, false}},
    {"B/H2O in A (limited)", {false, false}},
    {"B/H2O (pulse) in A", {false, false}},
    {"B (pulse) in A", {false, false}},
    {"A pure", {false, false}},
    {"B pure", {false, false}},
};

}  // namespace

TMethodSteps StepsOfMethod(std::string_view method)
{
    for (const TMethodRow& row : DispatchTable) {
        if (row.Name == method)
            return row.Steps;
    }
    return {};
}
