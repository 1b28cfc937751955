// Cell value converters: stateless renderers that turn a stored cell value
// into the display text of the quantity a map holds, and read such a text back.
#pragma once

#include <string>
#include <string_view>

#include "data/StoredQuantity.h"

class TCellConverter {
public:
    TCellConverter() = default;
    // Polymorphic and owned through a base pointer by one map: not copied.
    TCellConverter(const TCellConverter&) = delete;
    TCellConverter& operator=(const TCellConverter&) = delete;
    virtual ~TCellConverter() = default;

    virtual std::string AsString(unsigned int value) const = 0;
    // The stored quantity a display text stands for (StoredQuantity.h says what reads as a
    // number); NearestValue turns it into a value a cell can hold. A converter that does not
    // override this reads no text: to it every text is not a number, so no value is ever
    // guessed for a quantity it cannot read.
    virtual TStoredQuantity FromString(std::string_view text) const;
};

// Engine speed, stored in hundreds of rpm: "1250" reads as 12.5.
class TRPMCellConverter : public TCellConverter {
public:
    std::string AsString(unsigned int value) const override;
    TStoredQuantity FromString(std::string_view text) const override;
};

// Manifold pressure, stored in steps of 2 kPa: "151" reads as 75.5.
class TKPACellConverter : public TCellConverter {
public:
    std::string AsString(unsigned int value) const override;
    TStoredQuantity FromString(std::string_view text) const override;
};

// Ignition advance, stored in quarter steps, shown with two decimals: "8.30" reads as 33.2.
class TIGNCellConverter : public TCellConverter {
public:
    std::string AsString(unsigned int value) const override;
    TStoredQuantity FromString(std::string_view text) const override;
};
