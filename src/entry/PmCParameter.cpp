// PmCParameter: construction, copying and the binary form of a parameter record.
#include <cbfoundation/base/streams/CbStreamReadBinary.h>
#include <cbfoundation/base/streams/CbStreamWriteBinary.h>
#include <cbfoundation/entry/PmCParameter.h>

#include <cstdint>

PmCParameter::PmCParameter() = default;

PmCParameter::PmCParameter(const PmCParameter& other)
{
    *this = other;
}

PmCParameter::PmCParameter(const CStringW& name, const CbVariant& value, bool flag, int number)
    : name(name)
    , value(value)
    , loadedValue(value)
    , initialValue(value)
    , flag(flag)
    , number(number)
{}

PmCParameter::PmCParameter(const CStringW& name, const CbVariant& value, bool flag, int number,
                           const CbVariant& firstExtra, const CbVariant& secondExtra, const CbVariant& thirdExtra)
    : name(name)
    , value(value)
    , loadedValue(value)
    , firstExtraValue(firstExtra)
    , secondExtraValue(secondExtra)
    , thirdExtraValue(thirdExtra)
    , initialValue(value)
    , flag(flag)
    , number(number)
{}

PmCParameter::~PmCParameter() = default;

PmCParameter& PmCParameter::operator=(const PmCParameter& other)
{
    if (this == &other)
        return *this;
    name = other.name;
    value = other.value;
    loadedValue = other.loadedValue;
    firstExtraValue = other.firstExtraValue;
    secondExtraValue = other.secondExtraValue;
    thirdExtraValue = other.thirdExtraValue;
    initialValue = other.initialValue;
    flag = other.flag;
    number = other.number;
    return *this;
}

void PmCParameter::Notify()
{}

void PmCParameter::Serialize(CbStreamWriteBinary& stream) const
{
    stream << static_cast<std::uint32_t>(kRecordStamp) << name;
    value.Serialize(stream);
    stream << static_cast<std::int32_t>(number);
}

void PmCParameter::Serialize(CbStreamReadBinary& stream)
{
    std::uint32_t stamp = 0;
    stream >> stamp;
    if (stamp == kRecordStamp) {
        stream >> name;
        value.Serialize(stream);
        std::int32_t wireNumber = 0;
        stream >> wireNumber;
        number = wireNumber;
    }
    loadedValue = value;
}
