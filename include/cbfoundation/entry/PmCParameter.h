// PmCParameter: one named parameter record of a parameter file.
#pragma once

#include <cbfoundation/Export.h>
#include <cbfoundation/base/values/CbVariant.h>
#include <cbfoundation/platform/CStringT.h>

class CbStreamReadBinary;
class CbStreamWriteBinary;

/// A parameter record: a name, a value and a number as the file holds them,
/// plus values the programs that edit such files keep beside them.
///
/// The record's form is the stamp 1 (32 bits), the name as a wide string, the
/// value in the variant's binary form and the number (32 bits, signed). A
/// record whose stamp is not 1 consists of its 4 stamp bytes alone.
///
/// Only name, value and number travel; the loaded, initial and extra values
/// and the flag are plain data for the caller. The class is neither derived
/// from another nor registered with the type registry; its virtual functions
/// keep their order (destructor, Notify, the two Serialize forms).
class CB_API PmCParameter
{
public:
    /// The stamp every written record carries.
    static constexpr unsigned int kRecordStamp = 1;

    /// An empty name, null values, flag false and number -1.
    PmCParameter();

    /// A copy of every field, made through the assignment.
    PmCParameter(const PmCParameter& other);

    /// `value` becomes the value, the loaded value and the initial value; the
    /// extra values stay null.
    PmCParameter(const CStringW& name, const CbVariant& value, bool flag, int number);

    /// As the short form, and takes the three extra values in their order.
    PmCParameter(const CStringW& name, const CbVariant& value, bool flag, int number, const CbVariant& firstExtra,
                 const CbVariant& secondExtra, const CbVariant& thirdExtra);

    /// Destroys the record and its values.
    virtual ~PmCParameter();

    /// Copies every field; assigning a record to itself changes nothing.
    PmCParameter& operator=(const PmCParameter& other);

    /// Does nothing: a hook kept for programs that derive their own records.
    virtual void Notify();

    /// Writes the stamp 1, the name, the value and the number. Failures of the
    /// stream and of the value's form (an object) pass through.
    virtual void Serialize(CbStreamWriteBinary& stream) const;

    /// Reads the stamp; only when it is 1, the name, the value and the number.
    /// In every case the loaded value then becomes a copy of the value. A
    /// failing stream or value form passes its exception through and may
    /// leave the fields partly read.
    virtual void Serialize(CbStreamReadBinary& stream);

    /// The parameter's name; names compare exactly, case included.
    CStringW name;
    /// The value the record carries.
    CbVariant value;
    /// The value as it was last read or constructed with.
    CbVariant loadedValue;
    /// The first of three values that only the long constructor sets.
    CbVariant firstExtraValue;
    /// The second extra value.
    CbVariant secondExtraValue;
    /// The third extra value.
    CbVariant thirdExtraValue;
    /// The value the record was constructed with.
    CbVariant initialValue;
    /// A flag for the caller, given to the value constructors.
    bool flag = false;
    /// A number for the caller that travels with the record.
    int number = -1;
};
