#include "testing/buildpaths.h"

#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/wait.h>


namespace {

struct Played {
    std::string output;
    int status = -1;
};

Played Play(const std::string &scene, const std::string &png)
{
    Played run;
    std::string command = std::string(kListTreePaint) + " " + scene + " " + png;
    FILE *pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, count);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string Contents(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Testdata(const std::string &name)
{
    return std::string(kQelSourceDir) + "/testdata/listtree/" + name;
}

// Plays testdata/listtree/NAME.scene: its output was worked out by hand (NAME.txt says
// how), and it writes its picture.
void ExpectWorkedOut(const std::string &name)
{
    std::string png = testing::TempDir() + name + ".png";
    Played run = Play(Testdata(name + ".scene"), png);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, Contents(Testdata(name + ".out")));
    EXPECT_EQ(Contents(png).substr(1, 3), "PNG");
}

TEST(ListTreePaint, TheWatchLikeSceneShowsWhatWasWorkedOut)
{
    ExpectWorkedOut("watch-like");
}

TEST(ListTreePaint, TheLocalsLikeTreeSceneShowsWhatWasWorkedOut)
{
    ExpectWorkedOut("locals-like");
}

TEST(ListTreePaint, TreeCommandsNameWhatIsWrong)
{
    std::string scene = testing::TempDir() + "broken-tree.scene";
    std::string png = testing::TempDir() + "broken-tree.png";
    std::ofstream(scene) << "tree 100 50 7 0 16\nnode 2 - orphan\n";
    EXPECT_EQ(Play(scene, png).output, "error: line 2: no node at the level above\n");
    std::ofstream(scene) << "tree 100 50 7 0 16\nnode 1 expanded,shiny top\n";
    EXPECT_EQ(Play(scene, png).output, "error: line 2: no such node flag: shiny\n");
    std::ofstream(scene) << "tree 100 50 7 0 16\nnode 1 - top\nexpand top/missing\n";
    EXPECT_EQ(Play(scene, png).output, "error: line 3: no such node: top/missing\n");
    std::ofstream(scene) << "tree 100 50 7 0 16\nitem x\n";
    EXPECT_EQ(Play(scene, png).output, "error: line 2: a list's command: item\n");
    std::ofstream(scene) << "list 100 50 1 0\nnode 1 - top\n";
    EXPECT_EQ(Play(scene, png).output, "error: line 2: a tree's command: node\n");
    // A callback count is answered 1 and nothing comes of expanding it.
    std::ofstream(scene) << "tree 100 50 7 0 16\nnode 1 children=callback lazy\nexpand lazy\n";
    Played run = Play(scene, png);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.output.find("notify\t-405\tlazy\n"), std::string::npos);
    EXPECT_EQ(run.output.find("notify\t-406"), std::string::npos);
    EXPECT_NE(run.output.find("button\t0\t"), std::string::npos);
}

TEST(ListTreePaint, ErrorsNameTheLineAndUsageIsStatusTwo)
{
    std::string scene = testing::TempDir() + "broken.scene";
    std::ofstream(scene) << "# a list first\nlist 100 50 1 0\ncolumn Name 0 80\nitem \"open\n";
    Played run = Play(scene, testing::TempDir() + "broken.png");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.output, "error: line 4: a quoted text is not closed\n");
    std::ofstream(scene) << "column Name 0 80\n";
    run = Play(scene, testing::TempDir() + "broken.png");
    EXPECT_EQ(run.output, "error: line 1: no list yet\n");
    std::ofstream(scene) << "list 100 50 1 0\nkey NOSUCHKEY\n";
    run = Play(scene, testing::TempDir() + "broken.png");
    EXPECT_EQ(run.output, "error: line 2: no such key: NOSUCHKEY\n");
    EXPECT_EQ(Play("", "").status, 2);
}

} // namespace
