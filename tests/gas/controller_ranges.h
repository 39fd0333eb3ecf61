#pragma once

#include "flow_info.h"

#include <cstdint>

// A controller's gas table as the planner sees it, in g/min.
inline TFlowInfo Controller(const char* name, const char* longName, float max, std::uint32_t dyn)
{
    TFlowInfo fi;
    fi.Name = name;
    fi.LongName = longName;
    fi.FlowUnit = "g/min";
    fi.Max = max;
    fi.Dyn = dyn;
    fi.Min = max / static_cast<float>(dyn);
    return fi;
}
