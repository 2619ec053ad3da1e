// The setup-type filling sees the tree list only through its list interface.
#include "controls/SetupTypeListAdapter.h"
#include "controls/SoftCanvas.h"

#include <gtest/gtest.h>

using namespace controls;

TEST(SetupTypeListAdapter, FillsTopLevelItemsAndSelectsTheFirst) {
  TVemoTreeViewList List(std::make_unique<SoftCanvas>());
  List.Items().Add("left over")->Items().Add("child");
  SetupTypeListAdapter Adapter(List);
  driver::SetupTypeList &Target = Adapter;
  package::SetupType Typical, Minimal;
  Target.Clear();
  EXPECT_EQ(List.Items().Count(), 0);
  EXPECT_FALSE(Target.SelectFirst());
  EXPECT_EQ(List.Selected(), nullptr);
  Target.AddSetupType("Typical", true, Typical);
  Target.AddSetupType("Minimal", false, Minimal);
  ASSERT_EQ(List.Items().Count(), 2);
  EXPECT_EQ(List.Items().Item(0)->Text(), "Typical");
  EXPECT_TRUE(List.Items().Item(0)->Checked());
  EXPECT_FALSE(List.Items().Item(1)->Checked());
  EXPECT_EQ(List.Items().Item(1)->Items().Count(), 0);
  EXPECT_TRUE(Target.SelectFirst());
  EXPECT_EQ(List.Selected(), List.Items().Item(0));
}
