#pragma once

// A value rounded to single precision, as the logo's arithmetic defines every value it "stores as a
// float". Every such rounding in the logo goes through here.
//
// Why a helper and not a plain cast: the 32-bit build computes on the x87 unit, whose registers hold
// 80 bits, and in C++ GCC lets a cast to float keep that excess precision in the register. Only a
// store into a float variable rounds (the i686 build passes -ffloat-store so that every such store
// does). A tidy-up that returned the cast directly would change hues, positions and colour
// percentages on the shipped build alone, never on the machine where the tests run. The argument is
// a long double so that it takes the register's value whole: a double parameter would round it
// twice, to 53 bits first.
inline float roundToFloat(long double value) {
    const float stored = static_cast<float>(value);
    return stored;
}
