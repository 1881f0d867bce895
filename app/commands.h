// The program's command numbers. Each menu action carries its number as its data, so a
// command can be found and triggered by number.
#pragma once

namespace lumo::cmd {

constexpr int kMonospaceFont = 32779;
constexpr int kScatchardPlots = 32790;
constexpr int kLineweaverBurkPlots = 32791;
constexpr int kUnpairedTTest = 32792;
constexpr int kRejectionTest = 32793;
constexpr int kCorrelation = 32794;
constexpr int kScatchardSimplex = 32795;
constexpr int kScreenCopyHint = 32796;
constexpr int kPairedTTest = 32797;
constexpr int kShowDetails = 32798;
constexpr int kMichaelisMentenFit = 32810;
constexpr int kBindingFit = 32811;
constexpr int kMannWhitney = 32812;
constexpr int kWilcoxon = 32813;
constexpr int kAnova = 32814;
constexpr int kKruskalWallis = 32815;
constexpr int kGrubbs = 32816;
constexpr int kDoseResponse = 32817;

constexpr int kFileNew = 57600;
constexpr int kFileOpen = 57601;
constexpr int kFileSave = 57603;
constexpr int kFileSaveAs = 57604;
constexpr int kFilePrintSetup = 57606;
constexpr int kFilePrint = 57607;
constexpr int kFilePrintPreview = 57609;
constexpr int kFileMruFile1 = 57616;  // the recent files are 57616 to 57619
constexpr int kEditCopy = 57634;
constexpr int kEditCut = 57635;
constexpr int kEditPaste = 57637;
constexpr int kEditUndo = 57643;
constexpr int kAppAbout = 57664;
constexpr int kAppExit = 57665;
constexpr int kHelpFinder = 57670;
constexpr int kNextPane = 57680;
constexpr int kPrevPane = 57681;

constexpr int kMaxRecentFiles = 4;

}  // namespace lumo::cmd
