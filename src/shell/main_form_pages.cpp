// The main form's pages that show the system rather than options, its status bar and components.
#include <initializer_list>
#include <utility>

#include "../../res/resource_ids.h"
#include "shell/main_form.h"
#include "shell/main_form_layout.h"

namespace kvn {

using form_layout::Put;

namespace {

constexpr ui::Color kLinkBlue = 0xFF0000;

void Link(ui::Label& label) {
  ui::Font font = label.GetFont();
  font.underline = true;
  font.color = kLinkBlue;
  label.SetFont(font);
  label.SetIsLink(true);
}

struct Logo {
  ui::Image& image;
  int resourceId;
  const char* name;  // what a screen reader says of it
};

// Logos of one size at one place of their parent; start-up keeps the one that applies.
void PutLogos(ui::Control& parent, ui::Rect place, std::initializer_list<Logo> logos) {
  for (const Logo& l : logos) {
    Put(l.image, parent, place.x, place.y, place.width, place.height);
    l.image.SetResourceId(l.resourceId);
    l.image.SetCaption(l.name);
  }
}

}  // namespace

void MainForm::BuildSystemInfoPage() {
  Put(systemInfoGroup, systemInfoPage, 4, 2, 449, 296, "Informations système");
  PutLogos(
      systemInfoGroup, {8, 16, 250, 60},
      {Logo{win95Logo, IDB_LOGO_WIN95, "Windows 95"}, Logo{win98Logo, IDB_LOGO_WIN98, "Windows 98"},
       Logo{winMELogo, IDB_LOGO_WINME, "Windows Me"}, Logo{winNTLogo, IDB_LOGO_WINNT, "Windows NT"},
       Logo{winNTServerLogo, IDB_LOGO_WINNTS, "Windows NT Server"},
       Logo{win2000Logo, IDB_LOGO_WIN2K, "Windows 2000"},
       Logo{winXPLogo, IDB_LOGO_WINXP, "Windows XP"},
       Logo{laterWindowsLogo, IDB_LOGO_WINLATER, "Windows"}});

  struct InfoRow {
    ui::Image& image;
    int resourceId;
    ui::Label& label;
    const char* caption;
  };
  int y = 84;
  for (const InfoRow& r :
       {InfoRow{windowsIcon, IDB_INFO_WINDOWS, windowsVersionLabel, "Windows"},
        InfoRow{computerIcon, IDB_INFO_COMPUTER, computerNameLabel, "Nom Machine : "},
        InfoRow{userIcon, IDB_INFO_USER, userNameLabel, "Nom Utilisateur : "},
        InfoRow{networkIcon, IDB_INFO_NETWORK, ipAddressLabel, "Addresse IP : "},
        InfoRow{memoryIcon, IDB_INFO_MEMORY, installedRamLabel, "RAM Installée : "},
        InfoRow{clockIcon, IDB_INFO_CLOCK, processorSpeedLabel, "Vitesse réelle Processeur : "},
        InfoRow{directXIcon, IDB_INFO_DIRECTX, directXLabel, "Version de DirectX : "},
        InfoRow{screenIcon, IDB_INFO_SCREEN, resolutionLabel, "Résolution : "}}) {
    Put(r.image, systemInfoGroup, 8, y, 16, 16);
    r.image.SetResourceId(r.resourceId);
    Put(r.label, systemInfoGroup, 28, y + 2, 240, 13, r.caption);
    y += 20;
  }

  Put(drivesCaption, systemInfoGroup, 272, 16, 100, 13, "Disques :");
  Put(drivesMemo, systemInfoGroup, 272, 32, 169, 222);
  drivesMemo.SetReadOnly(true);
  drivesMemo.SetVerticalScrollBar(true);
  drivesMemo.SetBackColor(0xFFFFFF);
  drivesMemo.SetLabelledBy(&drivesCaption);
  Put(refreshInfoButton, systemInfoGroup, 341, 262, 100, 23, "&Rafraichir");
  refreshInfoButton.SetHint(
      "RAFRAICHIR LES DONNEES\r\n========================\r\nPermet de rafraichir les "
      "informations\r\nsur le(s) disque(s) dur(s) et la vitesse\r\nréelle du processeur.");
}

void MainForm::BuildProcessorPage() {
  Put(processorGroup, processorPage, 4, 2, 449, 296, "Informations processeur");
  PutLogos(processorGroup, {8, 18, 65, 81},
           {Logo{intelLogo, IDB_LOGO_INTEL, "Intel"}, Logo{amdLogo, IDB_LOGO_AMD, "AMD"},
            Logo{cyrixLogo, IDB_LOGO_CYRIX, "Cyrix"},
            Logo{pentium4HTLogo, IDB_LOGO_P4HT, "Pentium 4 HT"}});
  cyrixLogo.SetVisible(false);

  // Room for the longest instruction-set line, "3DNow! Instructions non supportées".
  Put(processorCaption, processorGroup, 78, 20, 78, 13, "Processeur :");
  Put(processorNameLabel, processorGroup, 158, 20, 284, 26, "Inconnu");
  processorNameLabel.SetWordWrap(true);
  Put(mmxLabel, processorGroup, 78, 50, 188, 13, "MMX Instructions");
  Put(simdLabel, processorGroup, 78, 66, 188, 13, "SIMD Instructions");
  Put(threeDNowLabel, processorGroup, 78, 82, 188, 13, "3DNow! Instructions");

  Put(cacheGroup, processorGroup, 268, 46, 174, 100, "Informations cache");
  struct CacheRow {
    ui::Label& caption;
    const char* text;
    ui::Label& value;
  };
  int y = 18;
  for (const CacheRow& r : {CacheRow{l1CodeCaption, "Level 1 Code :", l1CodeLabel},
                            CacheRow{l1DataCaption, "Level 1 Data :", l1DataLabel},
                            CacheRow{l1UnifiedCaption, "Level 1 Unified :", l1UnifiedLabel},
                            CacheRow{l2Caption, "Level 2 Unified :", l2Label},
                            CacheRow{l3Caption, "Level 3 :", l3Label}}) {
    Put(r.caption, cacheGroup, 8, y, 94, 13, r.text);
    Put(r.value, cacheGroup, 104, y, 66, 13, "-");
    y += 16;
  }

  Put(featureList, processorGroup, 8, 150, 433, 138);
  featureList.SetColumns({{"", 100}, {"", 200}});
  featureList.SetShowColumnHeaders(false);
  featureList.SmallImages = &smallImages;
}

void MainForm::BuildProcessPage() {
  Put(processGroup, processPage, 4, 2, 449, 266, "Liste des processus en cours");
  Put(processGrid, processGroup, 8, 16, 433, 242);
  // The process list's header until the page first builds it.
  processGrid.SetSize(4, 2);
  int col = 0;
  // "#Threads" keeps the default width: its title needs more than 50 px in Tahoma.
  for (const auto& [header, width] : {std::pair{"Exe", 250}, std::pair{"PId", 60},
                                      std::pair{"#Threads", 64}, std::pair{"Priorité", 90}}) {
    processGrid.SetCell(col, 0, header);
    processGrid.SetColWidth(col++, width);
  }
  processGrid.SetFixedRows(1);
  processGrid.SetDefaultRowHeight(16);
  processGrid.SetContextMenu(&processMenu);
  processGrid.SetLabelledBy(&processGroup);
  Put(refreshProcessesButton, processPage, 353, 272, 100, 23, "&Rafraichir");
  refreshProcessesButton.SetHint("Rafraichir la liste des processus.");
}

void MainForm::BuildAboutPage() {
  Put(aboutGroup, aboutPage, 4, 2, 449, 296);
  Put(aboutText, aboutGroup, 12, 16, 425, 122,
      "Korvane surveille la mémoire vive et la charge du processeur, et récupère de la "
      "mémoire physique à la demande ou de lui-même.\r\n\r\n"
      "Ce logiciel est gratuit : vous pouvez l'utiliser et le distribuer librement, sans le "
      "modifier ni le vendre. Il est fourni tel quel, sans aucune garantie ; son auteur ne "
      "saurait être tenu pour responsable des dommages liés à son utilisation.\r\n\r\n"
      "Version : ");
  aboutText.SetWordWrap(true);

  Put(webSiteLink, aboutGroup, 12, 146, 300, 13, "https://www.korvane.example/");
  Link(webSiteLink);
  Put(mailLink, aboutGroup, 12, 164, 300, 13, "Email : contact@korvane.example");
  Link(mailLink);
  Put(htmlHelpDownloadLink, aboutGroup, 12, 190, 120, 39,
      "Téléchargement de \r\nMicrosoft Help 1.2\r\nou supérieure");
  Link(htmlHelpDownloadLink);
  Put(contributionLink, aboutGroup, 150, 190, 120, 26, "Pour une petite \r\ncontribution... ;o)");
  Link(contributionLink);
  Put(helpPicture, aboutGroup, 392, 186, 32, 32);
  helpPicture.SetResourceId(IDB_HELP);
  helpPicture.SetCaption("Aide");

  Put(newsButton, aboutGroup, 12, 262, 110, 23, "&Infos directs");
  newsButton.SetHint(
      "INFOS DIRECTS :\r\n===============\r\nCette fonction permet de\r\nse tenir au courant des "
      "\r\ndernières informations à \r\npropos de Korvane.");
  Put(helpButton, aboutGroup, 327, 262, 110, 23, "&Aide");
  helpButton.SetHint("Aide...");
}

void MainForm::BuildStatusBarAndComponents() {
  Put(statusBar, *this, 0, kClientHeight - kStatusBarHeight, kClientWidth, kStatusBarHeight);
  statusBar.SetPanels({{"", 36, IDB_STATUS_RAM}, {"", 60, IDB_STATUS_CPU}, {"", 320, 0}});
  statusBar.SetGaugePanel(2);
  statusBar.SetGaugeColor(0x800000);  // navy

  smallImages.ResourceIds = {IDB_STATUS_RAM, IDB_STATUS_CPU, IDB_CHECK_ON, IDB_CHECK_OFF};

  trayMenu.Title = "Korvane";
  cancelItem.Enabled = false;

  speedMenu.Title = "Vitesse";
  for (ui::MenuItem* speed : {&lowSpeedItem, &normalSpeedItem, &highSpeedItem})
    speed->RadioItem = true;

  processesItem.ShortCut = ui::kShortcutCtrl | 'P';
  modulesItem.ShortCut = ui::kShortcutCtrl | 'M';
  threadsItem.ShortCut = ui::kShortcutCtrl | 'T';
  endProcessItem.ShortCut = ui::kShortcutCtrl | 'C';
  endProcessItem.Enabled = false;
}

}  // namespace kvn
