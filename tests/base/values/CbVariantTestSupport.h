// Helpers shared by the CbVariant tests.
#pragma once

#include <cbfoundation/base/object/CbRTTI.h>
#include <cbfoundation/base/object/IObject.h>
#include <cbfoundation/base/values/CbVariant.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <initializer_list>

namespace variant_test {

template <class T>
CbVariant Make(const T& value)
{
    CbVariant variant;
    variant = value;
    return variant;
}

inline CbVariant::ByteArray Bytes(std::initializer_list<unsigned char> bytes)
{
    CbVariant::ByteArray array;
    array.SetSize(static_cast<unsigned>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), array.GetData());
    return array;
}

/// Runs `action`, expecting a CbException from exactly this place; `function`
/// and `type` (the exact class) are checked when given.
inline void ExpectThrowsAt(const std::function<void()>& action, const char* file, unsigned line,
                           const char* function, const CbRTTI* type = nullptr)
{
    try {
        action();
        ADD_FAILURE() << "no exception, expected " << file << " line " << line;
    } catch (const CbException& e) {
        EXPECT_STREQ(e.GetFilename(), file);
        EXPECT_EQ(e.GetCodeLine(), line);
        if (function) {
            EXPECT_STREQ(e.GetFunctionName(), function);
        }
        if (type) {
            EXPECT_TRUE(e.Is(*type)) << "thrown as " << e.GetRTTI().GetName();
        }
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
