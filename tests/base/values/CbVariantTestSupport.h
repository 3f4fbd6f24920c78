// Helpers shared by the CbVariant tests.
#pragma once

#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/object/IObject.h>
#include <cbfoundation/base/values/CbVariant.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <vector>

namespace variant_test {

template <class T>
CbVariant Make(const T& value)
{
    CbVariant variant;
    variant = value;
    return variant;
}

inline CbVariant::ByteArray Bytes(std::vector<unsigned char> bytes)
{
    CbVariant::ByteArray array;
    array.SetSize(static_cast<unsigned>(bytes.size()));
    if (!bytes.empty())
        std::memcpy(array.GetData(), bytes.data(), bytes.size());
    return array;
}

/// Runs `action`, expecting a CbException with exactly this place.
inline void ExpectThrowsAt(const std::function<void()>& action, const char* file, unsigned line,
                           const char* function)
{
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << function << " line " << line;
    } catch (const CbException& e) {
        EXPECT_STREQ(e.GetFilename(), file);
        EXPECT_EQ(e.GetCodeLine(), line);
        EXPECT_STREQ(e.GetFunctionName(), function);
    }
}

/// A registered class that counts its live instances.
class Shape : public IObject
{
    CB_DECLARE_RTTI(Shape)
    CB_DECLARE_CLONE(Shape)

public:
    explicit Shape(int sides = 3) : sides(sides) { ++live; }
    Shape(const Shape& other) : IObject(), sides(other.sides) { ++live; }
    ~Shape() override { --live; }

    static IObject* Create() { return new Shape; }

    int sides;
    static inline int live = 0;
};

} // namespace variant_test
