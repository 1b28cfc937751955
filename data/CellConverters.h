// Cell value converters: stateless renderers that turn a stored cell value
// into the display text of the quantity a map holds.
#pragma once

#include <string>

class TCellConverter {
public:
    TCellConverter() = default;
    // Polymorphic and owned through a base pointer by one map: not copied.
    TCellConverter(const TCellConverter&) = delete;
    TCellConverter& operator=(const TCellConverter&) = delete;
    virtual ~TCellConverter() = default;

    virtual std::string AsString(unsigned int value) const = 0;
};

// Engine speed, stored in hundreds of rpm.
class TRPMCellConverter : public TCellConverter {
public:
    std::string AsString(unsigned int value) const override;
};

// Manifold pressure, stored in steps of 2 kPa.
class TKPACellConverter : public TCellConverter {
public:
    std::string AsString(unsigned int value) const override;
};

// Ignition advance, stored in quarter steps, shown with two decimals.
class TIGNCellConverter : public TCellConverter {
public:
    std::string AsString(unsigned int value) const override;
};
