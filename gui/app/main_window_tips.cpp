// The main window's tooltips: each input says what it takes, with an example.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>

#include "gui/app/main_window.h"
#include "gui/forms/line_list_edit.h"
#include "gui/forms/on_demand_combo_box.h"

namespace korrin {

void TForm1::CreateToolTips() {
  RangesMemo->setToolTip(QStringLiteral(
      "One range per line, optionally named: NAME=RANGE (the name is what %s puts into names).\n"
      "  10.0.0.0/24  a network: address/prefix\n"
      "  A=192.168.1.100/16/24  address/prefix/suffix: bits 16 to 23 vary, 192.168.0.100 ... 192.168.255.100\n"
      "  10.0.0.1-10.0.0.5 or 10.0.0.1-5  first to last address\n"
      "  fdc7:200d:3e17::/120  IPv6 alike\n"
      "  10.0.0.7  a single address\n"
      "  10.0.1-3.1-254  an octet range: each part a number or a range\n"
      "Several ranges may share a line between commas; # begins a comment.\n"
      "A line that starts with ; is skipped. Ctrl+Return generates."));
  RangesExampleMemo->setToolTip(QStringLiteral("Examples of range lines, to copy from."));
  UsableHostsCheckBox->setToolTip(
      QStringLiteral("Leave out the first and last address of each network: its network and broadcast address.\n"
                     "Example: 10.0.0.0/30 gives 10.0.0.1 and 10.0.0.2\n"
                     "A /31 (IPv6 /127) point-to-point link keeps both its addresses, a /32 (/128) its one."));
  EscapeIPv6CheckBox->setToolTip(QStringLiteral(
      "Write IPv6 addresses in square brackets.\nExample: [fd00::1]\n"
      "With port numbers IPv6 addresses are always in brackets ([fd00::1]:80): fd00::1:80 would be another address."));
  ExcludeCheckBox->setToolTip(QStringLiteral("Leave out the addresses that the lines beside match."));
  ExcludeMasksMemo->setToolTip(
      QStringLiteral("One exclusion per line (or several between commas, # for a comment):\n"
                     "  10.0.0.7 or fd00::1  an address, however it is written\n"
                     "  10.0.0.0/25  a network\n"
                     "  10.0.0.10-10.0.0.20  a range\n"
                     "  10.0.1-3.0  an octet range\n"
                     "  *.0  a mask over the address text: * any text, ? one character, [0-9] or [!0] a set\n"
                     "An entry that is none of these stops the run with its reason."));
  AddPortsCheckBox->setToolTip(QStringLiteral("Add each port of the list beside to every address."));
  PortsEdit->setToolTip(QStringLiteral(
      "Ports separated by , or ; and ranges first-last.\nExample: 80,3128-3130 gives 10.0.0.1:80, 10.0.0.1:3128, "
      "10.0.0.1:3129, 10.0.0.1:3130"));
  GenerateNamesCheckBox->setToolTip(QStringLiteral("Put a name made from the template in front of every address."));
  NameTemplateEdit->setToolTip(
      QStringLiteral("The name in front of each address:\n"
                     "  the counter symbol (#) becomes the counter\n"
                     "  %1 ... %4 the parts of an IPv4 address (%1 ... %8 the groups of an IPv6 address)\n"
                     "  %s the range's name (the text before = in its line)\n"
                     "Example: host-%1-%2-%3-%4.%s gives host-10-1-2-0.A for the range A=10.1.2.0/30"));
  CounterSymbolComboBox->setToolTip(
      QStringLiteral("The text in the template that the counter replaces.\nExample: # in mail#.example.com"));
  FirstNumberEdit->setToolTip(QStringLiteral("The counter's first value, an integer.\nExample: 1"));
  CounterStepEdit->setToolTip(
      QStringLiteral("Added to the counter after each line; 0 keeps it, a negative step counts down.\nExample: 1"));
  MinDigitsEdit->setToolTip(
      QStringLiteral("The least number of digits of the counter, filled with 0.\nExample: 3 gives 007"));
  NameDelimiterComboBox->setToolTip(
      QStringLiteral("What stands between the name and the address, and before the country."));
  CustomDelimiterEdit->setToolTip(QStringLiteral("Your own text between the name and the address.\nExample: |"));
  AllIPsRadioButton->setToolTip(QStringLiteral("Every address of every range."));
  TotalCountRadioButton->setToolTip(QStringLiteral("This many addresses from all ranges together."));
  EachRangeRadioButton->setToolTip(QStringLiteral("This many addresses from each range."));
  TotalCountEdit->setToolTip(QStringLiteral("How many addresses in all, an integer.\nExample: 1000"));
  EachCountEdit->setToolTip(QStringLiteral("How many addresses from each range line, an integer.\nExample: 10"));
  RandomOrderCheckBox->setToolTip(QStringLiteral("Choose and order the addresses at random."));
  UniqueCheckBox->setToolTip(
      QStringLiteral("Take the ranges as one set: an address that several ranges hold comes once, under the first "
                     "range's name.\nWithout it, the status line says when ranges repeat addresses."));
  AppendCheckBox->setToolTip(QStringLiteral("Keep the lines of the list and add the new ones after them."));
  ResolveCountryCheckBox->setToolTip(
      QStringLiteral("Add the country code of each address, from the database file below."));
  MMDBFieldComboBox->setToolTip(
      QStringLiteral("The record field the column holds: country_code is the country code of any layout; the list "
                     "offers the fields of the database's first records, and any other path may be typed.\n"
                     "Example: city.names.en"));
  SettingsListBox->setToolTip(QStringLiteral("Stored generation settings: choose one to load or delete it."));
  SettingsNameEdit->setToolTip(QStringLiteral("The name that Save stores the current choices under.\nExample: office"));
  MMDBFileEdit->setToolTip(QStringLiteral(
      "A MaxMind DB file with country data, for the country column.\nExample: /home/me/geo/country.mmdb"));
  OutputMemo->setToolTip(QStringLiteral(
      "The generated lines. Edit them as in a text box: Clear, Shuffle, Save to file... and the reverse lookup use "
      "what the list shows.\nCtrl+S saves the list; Ctrl+Z undoes an edit."));
  const QString delimiter =
      QStringLiteral("What stands between the lines in the saved file.\nExample: Comma gives 10.0.0.1,10.0.0.2");
  for (QComboBox* combo : {OutputDelimiterComboBox, ResolvedDelimiterComboBox, UnresolvedDelimiterComboBox})
    combo->setToolTip(delimiter);
  DnsServersMemo->setToolTip(QStringLiteral(
      "One DNS server per line, an address or a host name, optionally with a port; the servers take turns.\n"
      "  192.0.2.53\n"
      "  192.0.2.53:5353\n"
      "  [2001:db8::53]:53"));
  QueriesInFlightSpinBox->setToolTip(
      QStringLiteral("How many PTR queries are outstanding at once (1 to 1000); the results keep the list's order.\n"
                     "Example: 64"));
  PublicServersMemo->setToolTip(
      QStringLiteral("The public servers that the button above puts into the DNS Servers box."));
  ResolvedMemo->setToolTip(
      QStringLiteral("Addresses that have a name, as address,name.\nExample: 192.0.2.1,host.example"));
  UnresolvedMemo->setToolTip(QStringLiteral("Addresses that no server named."));
}

}  // namespace korrin
