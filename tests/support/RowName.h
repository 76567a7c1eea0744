#pragma once

#include <string>

// Names a parameterised test after its row's Name, for INSTANTIATE_TEST_SUITE_P.
struct RowNameOf {
    template <class Info>
    std::string operator()(const Info& info) const
    {
        return std::string(info.param.Name);
    }
};

inline constexpr RowNameOf kRowName;
