#include "handover.h"

#include <gtest/gtest.h>

namespace ormidal {
namespace {

std::wstring Key(std::wstring_view folder, std::wstring_view current = L"C:\\Program Files\\Ormidal") {
  return FolderKey(folder, current, AsciiUpperCase);
}

TEST(FolderKey, OneFolderHasOneKeyHoweverItIsWritten) {
  const std::wstring settings = L"C:\\SETTINGS\\LUMORA";
  for (const wchar_t* same : {L"C:\\Settings\\Lumora", L"c:\\settings\\LUMORA\\", L"C:/Settings//Lumora/",
                              L"C:\\Settings\\.\\x\\..\\Lumora", L"\\Settings\\Lumora",
                              L"..\\..\\Settings\\Lumora", L"..\\..\\..\\..\\Settings\\Lumora"}) {
    EXPECT_EQ(Key(same), settings) << same;
  }
  // Relative folders lie in the current directory, the program's folder.
  EXPECT_EQ(Key(L"Settings"), L"C:\\PROGRAM FILES\\ORMIDAL\\SETTINGS");
  EXPECT_EQ(Key(L"C:Settings"), L"C:\\PROGRAM FILES\\ORMIDAL\\SETTINGS");
  EXPECT_EQ(Key(L"D:Settings"), L"D:\\SETTINGS");
  EXPECT_EQ(Key(L"."), L"C:\\PROGRAM FILES\\ORMIDAL");
  // No folder and a bare drive name the drive's root, as their schedule paths do.
  EXPECT_EQ(Key(L""), L"C:");
  EXPECT_EQ(Key(L"C:"), L"C:");
  EXPECT_EQ(Key(L"d:\\"), L"D:");
  EXPECT_EQ(Key(L"", L"\\\\server\\share\\ormidal"), L"\\\\SERVER\\SHARE");
  EXPECT_EQ(Key(L"..\\..\\..\\x", L"\\\\server\\share\\ormidal"), L"\\\\SERVER\\SHARE\\X");
  EXPECT_EQ(Key(L"\\\\?\\C:\\a\\..\\b"), L"\\\\?\\C:\\A\\..\\B");
  // Different folders stay apart.
  EXPECT_NE(Key(L"C:\\Settings\\Lumora2"), settings);
  EXPECT_NE(Key(L"D:\\Settings\\Lumora"), settings);
  EXPECT_NE(Key(L"Settings\\Lumora"), settings);
}

TEST(ClaimName, NamesHoldNoBackslashAndStayApart) {
  EXPECT_EQ(ClaimName(L"C:\\SETTINGS", ClaimObject::kMutex), L"Local\\Ormidal.claim.C:/SETTINGS");
  EXPECT_EQ(ClaimName(L"C:\\SETTINGS", ClaimObject::kWindowSlot), L"Local\\Ormidal.window.C:/SETTINGS");
  // The longest key that is written out fills a name; a longer one is hashed.
  const std::wstring fits = L"C:\\" + std::wstring(kObjectNameLimit - 24, L'A');
  EXPECT_EQ(ClaimName(fits, ClaimObject::kWindowSlot).size(), kObjectNameLimit);
  const std::wstring longer = fits + L"B";
  EXPECT_EQ(ClaimName(longer, ClaimObject::kWindowSlot), L"Local\\Ormidal.window.#" +
            ClaimName(longer, ClaimObject::kMutex).substr(21));
  EXPECT_EQ(ClaimName(longer, ClaimObject::kMutex).size(), 21u + 16u);
  EXPECT_NE(ClaimName(longer, ClaimObject::kMutex), ClaimName(fits + L"C", ClaimObject::kMutex));
}

TEST(Proposal, ReadsWhatWasWrittenAndTakesItWithTheStartUpLimits) {
  const Proposal sent{"Second", "http://tv/b c", "1,2,3,4", std::string(40, '9'), " 2x"};
  const std::string payload = WriteProposal(sent);
  EXPECT_EQ(payload.substr(0, 4), std::string("\x01\0\0\0", 4));
  const std::optional<Proposal> read = ReadProposal(payload);
  ASSERT_TRUE(read);
  Options options;
  options.windowName = "Lumora";
  options.settingsFolder = "C:\\Settings";
  EntryFields current;
  current.timeProg = "kept";
  TakeProposal(*read, options, current);
  EXPECT_EQ(current.timeName, "Second");
  EXPECT_EQ(current.timeUrl, "http://tv/b c");
  EXPECT_EQ(current.timePos, "1,2,3,4");
  EXPECT_EQ(current.timeProg, "kept");
  EXPECT_EQ(options.durationText, std::string(kDurationTextLimit, '9'));
  EXPECT_EQ(options.protocol, 2);
  EXPECT_EQ(options.windowName, "Lumora");
  EXPECT_EQ(options.settingsFolder, "C:\\Settings");

  // A start without those options proposes what it would open with.
  TakeProposal(*ReadProposal(WriteProposal(ProposalOf(Options{}, EntryFields{}))), options, current);
  EXPECT_EQ(current.timeName, "");
  EXPECT_EQ(options.durationText, "");
  EXPECT_EQ(options.protocol, 0);
}

TEST(Proposal, MalformedPayloadsAreRefused) {
  const std::string good = WriteProposal({"a", "b", "c", "d", "2"});
  ASSERT_TRUE(ReadProposal(good));
  std::string otherVersion = good;
  otherVersion[0] = '\x02';
  const std::string atLimit = WriteProposal({std::string(kArgumentLimit, 'x'), "", "", "", ""});
  ASSERT_TRUE(ReadProposal(atLimit));
  for (const std::string& bad :
       {std::string(), good.substr(0, 3), good.substr(0, kProposalMinimum - 1), good.substr(0, good.size() - 1),
        good + "z", good + '\0', otherVersion,
        WriteProposal({std::string(kArgumentLimit + 1, 'x'), "", "", "", ""}),
        WriteProposal({"", "", "", "", std::string(kProposalLimit, '1')}),
        std::string(4, '\x01') + std::string(kProposalLimit, 'y')}) {
    EXPECT_FALSE(ReadProposal(bad)) << bad.size() << " bytes";
  }
}

}  // namespace
}  // namespace ormidal
