#include "extendedfiledialog.h"

#include <dialogscript.h>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const std::string kKinds = "Intel hex files (*.hex;*.h66;*.h86)|*.hex;*.h66;*.h86|"
                           "All target files (*.out;*.elf;*.hex)|*.out;*.elf;*.hex|All files (*.*)|*.*|";

std::string BinaryKind(const std::string &added)
{
    return "Binary target files (*.out;*.elf" + added + ")|*.out;*.elf" + added + "|";
}

// The value of the detail line `name` of what opened.
std::string Detail(const std::vector<std::string> &opened, const std::string &name)
{
    for (const std::string &line : opened) {
        if (line.rfind("\t" + name + "\t", 0) == 0)
            return line.substr(name.size() + 2);
    }
    return "(none)";
}

TEST(ExtendedFileDialog, TheFilterTakesAnExtensionItDoesNotHoldAndOpensInTheFilesFolder)
{
    const std::string longExtension(300, 'x');
    struct Case {
        std::string file;
        BOOL extensionInFilter;
        std::string filter;
        std::string index;
    };
    const Case cases[] = {
        {"/work/prog.abs", TRUE, BinaryKind(";*.abs") + kKinds, "1"},
        {"/work/PROG.ELF", TRUE, BinaryKind("") + kKinds, "0"},
        {"/work/prog.ou", TRUE, BinaryKind(";*.ou") + kKinds, "1"},
        {"/work/prog", TRUE, BinaryKind("") + kKinds, "0"},
        {"/work/prog.", TRUE, BinaryKind("") + kKinds, "0"},
        {"/work/prog.a;b", TRUE, BinaryKind("") + kKinds, "0"},
        {"/work/prog.abs", FALSE, BinaryKind("") + kKinds, "0"},
        {"/work/prog." + longExtension, TRUE, BinaryKind(";*." + longExtension) + kKinds, "1"},
    };
    QelHost::DialogScript script;
    script.Install();
    for (const Case &each : cases) {
        std::string error;
        ASSERT_TRUE(script.Queue({"file", "cancel"}, &error));
        CExtendedFileDialog dialog(TRUE, nullptr, each.file.c_str(), OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST, nullptr,
                                   nullptr, each.extensionInFilter);
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        const std::vector<std::string> opened = script.TakeOpened();
        ASSERT_FALSE(opened.empty());
        EXPECT_EQ(opened[0], "file\tOpen program file");
        EXPECT_EQ(Detail(opened, "filter"), each.filter) << each.file.substr(0, 20);
        EXPECT_EQ(Detail(opened, "folder"), "/work/") << each.file.substr(0, 20);
        EXPECT_EQ(Detail(opened, "index"), each.index) << each.file.substr(0, 20);
        EXPECT_EQ(Detail(opened, "flags"), "OFN_EXPLORER") << "the must-exist flags are dropped";
    }
    // A caller's filter is used as it stands; a file without a folder opens anywhere.
    ASSERT_TRUE([&] {
        std::string error;
        return script.Queue({"file", "/tmp/chosen.x"}, &error);
    }());
    CExtendedFileDialog mine(TRUE, nullptr, "prog.abs", 0, "Mine (*.m)|*.m|", nullptr);
    EXPECT_EQ(mine.DoModal(), IDOK);
    EXPECT_STREQ(mine.GetPathName(), "/tmp/chosen.x");
    const std::vector<std::string> opened = script.TakeOpened();
    EXPECT_EQ(Detail(opened, "filter"), "Mine (*.m)|*.m|");
    EXPECT_EQ(Detail(opened, "folder"), "");
    EXPECT_TRUE(script.TakeFailures().empty());
}

} // namespace
