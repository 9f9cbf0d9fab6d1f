// The registry check after each batch run: one report line per capture
// filter of FilterList, with a heading and a closing line that name the
// batch and say which results are good.
#pragma once

#include <array>
#include <string_view>

#include "reload_state.h"
#include "reload_system.h"

namespace reload {

inline constexpr std::size_t kFilterCount = 17;
inline constexpr std::size_t kCommonFilterCount = 15;  // the rest are the Lumora-only ones

// The filters that Bin\install_all.bat registers and Bin\uninstall_all.bat
// removes; the batch files must be kept in step with this list.
inline constexpr std::array<std::wstring_view, kFilterCount> FilterList{
    L"{7B81AA5B-F527-4EDA-BB30-890D95F1AB51}", L"{27EC3D38-5073-4A00-A4DE-8990EE26E778}",
    L"{B5EBEDD9-67A7-4FE7-9E03-38851EEA8906}", L"{93F704CE-C7DB-4AD3-89BB-04C76EF3F502}",
    L"{CB82D7FC-B515-4112-AC57-0B76AA632CC5}", L"{614FBDDE-69B4-4550-B0BF-295820278B17}",
    L"{6E1EDBEC-46DE-43DE-8F32-48512DD46EB0}", L"{1D00BAA4-D8C1-44AA-9034-09E8ABE537EA}",
    L"{63D4086A-8D38-4076-AA03-B9A8B22913E8}", L"{41C54F2A-FE71-4F01-9D87-6B534350E21F}",
    L"{CFF2A052-6F56-4D8B-AEBB-A42A3E3BB520}", L"{365975CB-7C71-4273-ACF5-B5227AB61952}",
    L"{667B5EFB-3A51-4E09-BADE-B8F1C61E0E5C}", L"{B018ABBC-6DE4-4303-A813-E844D086390D}",
    L"{F3EE9666-9BF5-4DF3-B4AF-9432C5915358}", L"{82E43400-D42B-4083-9E0E-1A621B576046}",
    L"{B9EDB4EB-9F92-4E78-885A-23E7656FDB4E}",
};

// The audio capturer is registered in the audio capture source category
// instead of being checked through its server key.
inline constexpr std::wstring_view kAudioCapturerId = L"{B018ABBC-6DE4-4303-A813-E844D086390D}";
inline constexpr std::wstring_view kAudioCapturerName = L"virtual-audio-capturer";
inline constexpr std::wstring_view kAudioCategoryInstance =
    L"Wow6432Node\\CLSID\\{33D9A762-90C8-11d0-BD43-00A0C911CE86}\\Instance\\";

inline constexpr int32_t kAccessDenied = 5;

// Writes one line for one identifier; the line alone tells the outcome.
void CheckFilter(ReloadState& state, ReloadSystem& system, std::wstring_view identifier);

// Writes the whole check for the current CheckMode.
void CheckFilters(ReloadState& state, ReloadSystem& system);

}  // namespace reload
