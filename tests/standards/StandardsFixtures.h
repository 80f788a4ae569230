#pragma once
// Standards the tests store and compare.

#include "standards/Standard.h"

#include <gtest/gtest.h>

#include <string>

inline standards::Standard labStandard(const std::string& name)
{
    standards::Standard s;
    s.name = name;
    s.lab = {52.25, -3.5, 17.125};
    s.illuminant = 1;
    s.observer = 1;
    s.tolerance.formula = standards::Formula::Cmc;
    s.tolerance.deltaE = 1.2;
    s.tolerance.db = 0.6;
    s.note = "Lot 7, \"gloss\" side";
    return s;
}

// A spectrum that follows from the seed, so that a whole standard can be
// told from a torn one.
inline standards::Standard spectralStandard(const std::string& name, int seed = 1)
{
    standards::Standard s;
    s.name = name;
    colour::Spectrum spectrum{};
    for (std::size_t band = 0; band < spectrum.size(); ++band)
        spectrum[band] = seed * 0.1 + band * 1.7 + 1.0 / 3.0;
    s.reflectance = spectrum;
    s.lab = {60.0 + seed % 30, 1.0 / 7.0, -2.5};
    s.illuminant = 0;
    s.observer = 0;
    s.tolerance.formula = standards::Formula::E00;
    s.tolerance.deltaE = 0.8;
    s.tolerance.dL = 0.5;
    s.tolerance.da = 0.4;
    s.note = "";
    return s;
}

inline void expectSameStandard(const standards::Standard& expected, const standards::Standard& actual)
{
    EXPECT_EQ(expected.name, actual.name);
    EXPECT_EQ(expected.reflectance, actual.reflectance);
    EXPECT_EQ(expected.lab.L, actual.lab.L);
    EXPECT_EQ(expected.lab.a, actual.lab.a);
    EXPECT_EQ(expected.lab.b, actual.lab.b);
    EXPECT_EQ(expected.illuminant, actual.illuminant);
    EXPECT_EQ(expected.observer, actual.observer);
    EXPECT_EQ(expected.tolerance.formula, actual.tolerance.formula);
    EXPECT_EQ(expected.tolerance.deltaE, actual.tolerance.deltaE);
    EXPECT_EQ(expected.tolerance.dL, actual.tolerance.dL);
    EXPECT_EQ(expected.tolerance.da, actual.tolerance.da);
    EXPECT_EQ(expected.tolerance.db, actual.tolerance.db);
    EXPECT_EQ(expected.note, actual.note);
}
