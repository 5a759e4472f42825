#include "app/SettingsLocation.h"

#include <gtest/gtest.h>

namespace corvalis {
namespace {

TEST(SettingsLocationTest, DefaultFileIsNamedAfterTheProgram) {
  EXPECT_EQ(ResolveSettingsLocation("/run/dir", {"/usr/bin/corvalis"}).path,
            "/run/dir/Corvalis.ini");
  EXPECT_EQ(ResolveSettingsLocation("/run/dir/", {"C:\\Tools\\Corvalis.exe"}).path,
            "/run/dir/Corvalis.ini");
  // A renamed copy has its own file; a name without an extension loses nothing.
  EXPECT_EQ(ResolveSettingsLocation("/run", {"/opt/bench-rig"}).path, "/run/bench-rig.ini");
  EXPECT_EQ(ResolveSettingsLocation("/run", {"/opt/rig2.exe"}).path, "/run/rig2.ini");
  EXPECT_EQ(ResolveSettingsLocation("/run", {}).path, "/run/Corvalis.ini");
  EXPECT_EQ(ResolveSettingsLocation("/run", {}).applicationDir, "/run/");
}

TEST(SettingsLocationTest, CommandLineChoosesTheFile) {
  const QString dir = "/run";
  const QString program = "/usr/bin/corvalis";
  EXPECT_EQ(ResolveSettingsLocation(dir, {program, "-i=site.ini"}).path, "/run/site.ini");
  EXPECT_EQ(ResolveSettingsLocation(dir, {program, "-i=/etc/corvalis/site.ini"}).path,
            "/etc/corvalis/site.ini");
  EXPECT_EQ(ResolveSettingsLocation(dir, {program, "-i=conf/site.ini"}).path, "conf/site.ini");
  // Later arguments win; the prefix is case-sensitive; other arguments are ignored.
  EXPECT_EQ(ResolveSettingsLocation(dir, {program, "-i=a.ini", "-x", "-i=b.ini", "-I=c.ini"}).path,
            "/run/b.ini");
  // An empty name would point at the directory itself.
  EXPECT_EQ(ResolveSettingsLocation(dir, {program, "-i=a.ini", "-i="}).path, "/run/a.ini");
  // The program's own name never counts as an option.
  EXPECT_EQ(ResolveSettingsLocation(dir, {"-i=x.ini"}).path, "/run/-i=x.ini");

  const SettingsLocation location = ResolveSettingsLocation(dir, {program, "-i=site.ini"});
  EXPECT_EQ(location.memoLine, "/run/site.ini");
}

}  // namespace
}  // namespace corvalis
