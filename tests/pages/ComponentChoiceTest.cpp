// The component page's check rules, space label and Next check.
#include "pages/ComponentChoice.h"

#include "ModelBuilder.h"
#include "controls/SoftCanvas.h"

#include <gtest/gtest.h>

namespace {

using namespace pages_test;
using controls::TVemoTreeViewItem;

class Components : public ::testing::Test {
protected:
  Components() : List(std::make_unique<controls::SoftCanvas>()) {}
  package::SetupType &Add(const std::string &Name, bool Selected, int32_t KB, bool CanChange = true,
                          bool Listed = true) {
    package::SetupType &T = AddSetupType(M, Name, Selected);
    T.SizeInKB = KB;
    T.CanChangeSelectionState = CanChange;
    if (Listed)
      List.Items().Add(Name)->SetChecked(Selected);
    return T;
  }
  // What the list does on a click in the check zone, then the page's rules.
  void Click(int Index) {
    TVemoTreeViewItem *I = List.Items().Item(Index);
    I->SetChecked(!I->Checked());
    pages::ApplyCheckRules(M, List, *I);
  }
  std::string Marks() {
    std::string S;
    for (int I = 0; I < List.Items().Count(); ++I)
      S += List.Items().Item(I)->Checked() ? 'x' : '.';
    return S;
  }
  package::TOpenFileType M;
  controls::TVemoTreeViewList List;
};

TEST_F(Components, SingleModeKeepsOneChangeableEntryBesideTheFixedOnes) {
  M.MultiSelectSetupTypes = false;
  package::SetupType &Typical = Add("Typical", true, 2000);
  package::SetupType &Compact = Add("Compact", false, 400);
  package::SetupType &Base = Add("Base", true, 40, false);
  package::SetupType &Hidden = Add("Hidden", true, 1, true, false);
  EXPECT_EQ(pages::SpaceRequiredText(M), "2041K");
  Click(1);
  EXPECT_EQ(Marks(), ".xx");
  EXPECT_FALSE(Typical.Selected);
  EXPECT_TRUE(Compact.Selected);
  EXPECT_TRUE(Base.Selected);
  // A selected setup type that is not listed still counts.
  EXPECT_TRUE(Hidden.Selected);
  EXPECT_EQ(pages::SpaceRequiredText(M), "441K");
  // The fixed entry ignores clicks.
  Click(2);
  EXPECT_EQ(Marks(), ".xx");
  EXPECT_TRUE(Base.Selected);
  // The only checked changeable entry can be cleared; the fixed one alone
  // still lets Next go on.
  Click(1);
  EXPECT_EQ(Marks(), "..x");
  EXPECT_TRUE(pages::AnyComponentChecked(List));
  EXPECT_EQ(pages::SpaceRequiredText(M), "41K");
}

TEST_F(Components, MultiModeAndTheEmptySelection) {
  M.MultiSelectSetupTypes = true;
  package::SetupType &A = Add("A", true, 1000);
  package::SetupType &B = Add("B", false, 1440);
  Click(1);
  EXPECT_EQ(Marks(), "xx");
  EXPECT_TRUE(A.Selected && B.Selected);
  EXPECT_EQ(pages::SpaceRequiredText(M), "2440K");
  Click(0);
  Click(1);
  EXPECT_EQ(Marks(), "..");
  EXPECT_FALSE(pages::AnyComponentChecked(List));
  EXPECT_EQ(pages::SpaceRequiredText(M), "0K");
  EXPECT_STREQ(pages::EmptySelectionWarning(true),
               "You must select at least one of the setup components!");
  EXPECT_STREQ(pages::EmptySelectionWarning(false), "You must select one of the setup components!");
}

TEST_F(Components, NamesFindTheLastSetupTypeExactly) {
  M.MultiSelectSetupTypes = true;
  package::SetupType &First = Add("Same", false, 1);
  package::SetupType &Second = Add("Same", false, 2);
  Add("same", false, 4);
  EXPECT_EQ(pages::FindSetupTypeByName(M, "Same"), &Second);
  EXPECT_EQ(pages::FindSetupTypeByName(M, "SAME"), nullptr);
  // Both entries named "Same" act on the later setup type.
  Click(0);
  EXPECT_FALSE(First.Selected);
  EXPECT_TRUE(Second.Selected);
  EXPECT_EQ(pages::SpaceRequiredText(M), "2K");
  // An entry whose setup type is gone is left as the list made it.
  List.Items().Add("Gone");
  Click(3);
  EXPECT_EQ(Marks(), "x..x");
}

} // namespace
