#include <gtest/gtest.h>

#include "app/unit1.h"

TEST(Navigation, Smoke) {
  TForm1 form;
  EXPECT_EQ(form.PageControl1.ActivePageIndex(), 0);
}
