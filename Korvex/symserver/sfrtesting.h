// Test support of the controller engine: controller databases built by qelsfrdb's
// builder from testdata/sfr/sample.sfr, or from variants of it, in a folder of the test.
#pragma once

#include <sfrdbbuilder.h>
#include <testing/buildpaths.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace sfrtest {

inline std::string SampleText()
{
    std::ifstream in(std::filesystem::path(kQelSourceDir) / "testdata/sfr/sample.sfr", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The sample with each `edits` pair's first text replaced by its second (once each).
inline std::string SampleVariant(const std::vector<std::pair<std::string, std::string>> &edits)
{
    std::string text = SampleText();
    for (const auto &[from, to] : edits) {
        const size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos)
            text.replace(at, from.size(), to);
    }
    return text;
}

// Builds the database `path` from the description `text`.
inline void BuildDatabase(const std::string &text, const std::filesystem::path &path)
{
    SfrDescription description;
    CString error;
    ASSERT_TRUE(ParseSfrDescription(text.data(), text.size(), "sample.sfr", description, error)) << error;
    ASSERT_TRUE(BuildSfrDatabase(description, path.string().c_str(), error)) << error;
}

// A file that the database layer refuses as Jet's own does.
inline void WriteJetFile(const std::filesystem::path &path)
{
    std::ofstream out(path, std::ios::binary);
    out << "Standard Jet DB" << std::string(4000, '\x01');
}

} // namespace sfrtest
