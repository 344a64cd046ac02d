#include "platform/com/classes_root.h"

#include <gtest/gtest.h>

namespace {

TEST(ClassesRoot, KeysAndValueNamesIgnoreCaseAndParentsAreCreated) {
  ClassesRoot root;
  ASSERT_TRUE(root.SetValue("CLSID\\{ABC}\\InprocServer32", "", "/lib/x.so"));
  ASSERT_TRUE(root.SetValue("clsid\\{abc}\\inprocserver32", "ThreadingModel", "Apartment"));
  EXPECT_TRUE(root.KeyExists("Clsid\\{Abc}"));
  EXPECT_EQ(root.Value("CLSID\\{ABC}\\InprocServer32", "threadingmodel"), "Apartment");
  EXPECT_EQ(root.Value("CLSID\\{ABC}"), std::nullopt);  // a key without a default value
  // The spelling first written is kept.
  EXPECT_EQ(root.KeyPaths(),
            (std::vector<std::string>{"CLSID", "CLSID\\{ABC}", "CLSID\\{ABC}\\InprocServer32"}));
  for (const char* bad : {"", "a\\\\b", "\\a"}) {
    EXPECT_FALSE(root.CreateKey(bad)) << bad;
  }
}

TEST(ClassesRoot, TextRoundTripKeepsAwkwardValues) {
  ClassesRoot root;
  root.SetValue("K", "", "C:\\Program Files\\a \"quoted\" name\r\nsecond line");
  root.SetValue("K", "Empty", "");
  root.CreateKey("K\\NoValues");
  const std::string text = root.Format();
  EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\K]\n"
                      "@=\"C:\\\\Program Files\\\\a \\\"quoted\\\" name\\r\\nsecond line\"\n"),
            std::string::npos);
  std::string error;
  const std::optional<ClassesRoot> back = ClassesRoot::Parse(text, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(back->KeyPaths(), root.KeyPaths());
  EXPECT_EQ(back->Value("K"), root.Value("K"));
  EXPECT_EQ(back->Value("K", "Empty"), "");
  EXPECT_EQ(back->Format(), text);
}

TEST(ClassesRoot, ParseAcceptsCrLfAndCommentsAndRejectsDamage) {
  EXPECT_TRUE(ClassesRoot::Parse("; note\r\n\r\n[HKEY_CLASSES_ROOT\\A]\r\n@=\"x\"\r\n"));
  const char* damaged[] = {
      "@=\"value before any key\"\n",
      "[HKEY_LOCAL_MACHINE\\A]\n",
      "[HKEY_CLASSES_ROOT\\A]\n@=\"unterminated\n",
      "[HKEY_CLASSES_ROOT\\A]\n@=\"bad \\q escape\"\n",
      "[HKEY_CLASSES_ROOT\\A]\ngarbage\n",
  };
  for (const char* text : damaged) {
    std::string error;
    EXPECT_FALSE(ClassesRoot::Parse(text, &error)) << text;
    EXPECT_NE(error.find("line "), std::string::npos) << text;
  }
}

}  // namespace
