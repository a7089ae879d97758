<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="sv_SE">
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Spara</translation>
    </message>
    <message>
        <source>Save All</source>
        <translation>Spara alla</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öppna</translation>
    </message>
    <message>
        <source>&amp;Yes</source>
        <translation>&amp;Ja</translation>
    </message>
    <message>
        <source>Yes to &amp;All</source>
        <translation>Ja till &amp;alla</translation>
    </message>
    <message>
        <source>&amp;No</source>
        <translation>&amp;Nej</translation>
    </message>
    <message>
        <source>N&amp;o to All</source>
        <translation>N&amp;ej till alla</translation>
    </message>
    <message>
        <source>Abort</source>
        <translation>Avbryt</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Försök igen</translation>
    </message>
    <message>
        <source>Ignore</source>
        <translation>Ignorera</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Stäng</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Avbryt</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Förkasta</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hjälp</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Verkställ</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Återställ</translation>
    </message>
    <message>
        <source>Restore Defaults</source>
        <translation>Återställ standardvärden</translation>
    </message>
</context>
<context>
    <name>QGuiApplication</name>
    <message>
        <source>QT_LAYOUT_DIRECTION</source>
        <comment>Translate this string to the string &apos;LTR&apos; in left-to-right languages or to &apos;RTL&apos; in right-to-left languages (such as Hebrew and Arabic) to get proper widget layout.</comment>
        <translation>LTR</translation>
    </message>
</context>
<context>
    <name>QLineEdit</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Ångra</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Gör om</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Klipp &amp;ut</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopiera</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>Klistra &amp;in</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Ta bort</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Markera allt</translation>
    </message>
</context>
<context>
    <name>QWidgetTextControl</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Ångra</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Gör om</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Klipp &amp;ut</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopiera</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>Klistra &amp;in</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Ta bort</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Markera allt</translation>
    </message>
    <message>
        <source>Copy &amp;Link Location</source>
        <translation>Kopiera &amp;länkadress</translation>
    </message>
</context>
<context>
    <name>QAbstractSpinBox</name>
    <message>
        <source>&amp;Select All</source>
        <translation>&amp;Markera allt</translation>
    </message>
    <message>
        <source>&amp;Step up</source>
        <translation>Stega &amp;upp</translation>
    </message>
    <message>
        <source>Step &amp;down</source>
        <translation>Stega &amp;ned</translation>
    </message>
</context>
<context>
    <name>QScrollBar</name>
    <message>
        <source>Scroll here</source>
        <translation>Rulla hit</translation>
    </message>
    <message>
        <source>Left edge</source>
        <translation>Vänsterkant</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Överst</translation>
    </message>
    <message>
        <source>Right edge</source>
        <translation>Högerkant</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Nederst</translation>
    </message>
    <message>
        <source>Page left</source>
        <translation>En sida åt vänster</translation>
    </message>
    <message>
        <source>Page up</source>
        <translation>En sida uppåt</translation>
    </message>
    <message>
        <source>Page right</source>
        <translation>En sida åt höger</translation>
    </message>
    <message>
        <source>Page down</source>
        <translation>En sida nedåt</translation>
    </message>
    <message>
        <source>Scroll left</source>
        <translation>Rulla åt vänster</translation>
    </message>
    <message>
        <source>Scroll up</source>
        <translation>Rulla uppåt</translation>
    </message>
    <message>
        <source>Scroll right</source>
        <translation>Rulla åt höger</translation>
    </message>
    <message>
        <source>Scroll down</source>
        <translation>Rulla nedåt</translation>
    </message>
</context>
<context>
    <name>QTabBar</name>
    <message>
        <source>Scroll Left</source>
        <translation>Rulla åt vänster</translation>
    </message>
    <message>
        <source>Scroll Right</source>
        <translation>Rulla åt höger</translation>
    </message>
</context>
<context>
    <name>QFileDialog</name>
    <message>
        <source>Look in:</source>
        <translation>Leta i:</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Bakåt</translation>
    </message>
    <message>
        <source>Go back</source>
        <translation>Gå bakåt</translation>
    </message>
    <message>
        <source>Forward</source>
        <translation>Framåt</translation>
    </message>
    <message>
        <source>Go forward</source>
        <translation>Gå framåt</translation>
    </message>
    <message>
        <source>Parent Directory</source>
        <translation>Överordnad mapp</translation>
    </message>
    <message>
        <source>Go to the parent directory</source>
        <translation>Gå till den överordnade mappen</translation>
    </message>
    <message>
        <source>Create New Folder</source>
        <translation>Skapa ny mapp</translation>
    </message>
    <message>
        <source>Create a New Folder</source>
        <translation>Skapa en ny mapp</translation>
    </message>
    <message>
        <source>List View</source>
        <translation>Listvy</translation>
    </message>
    <message>
        <source>Change to list view mode</source>
        <translation>Byt till listvy</translation>
    </message>
    <message>
        <source>Detail View</source>
        <translation>Detaljvy</translation>
    </message>
    <message>
        <source>Change to detail view mode</source>
        <translation>Byt till detaljvy</translation>
    </message>
    <message>
        <source>Sidebar</source>
        <translation>Sidopanel</translation>
    </message>
    <message>
        <source>List of places and bookmarks</source>
        <translation>Lista över platser och bokmärken</translation>
    </message>
    <message>
        <source>Files</source>
        <translation>Filer</translation>
    </message>
    <message>
        <source>Files of type:</source>
        <translation>Filtyp:</translation>
    </message>
    <message>
        <source>File &amp;name:</source>
        <translation>Fil&amp;namn:</translation>
    </message>
    <message>
        <source>Directory:</source>
        <translation>Mapp:</translation>
    </message>
    <message>
        <source>Find Directory</source>
        <translation>Välj mapp</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Spara som</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Öppna</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Öppna</translation>
    </message>
    <message>
        <source>&amp;Choose</source>
        <translation>&amp;Välj</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>&amp;Spara</translation>
    </message>
    <message>
        <source>Show </source>
        <translation>Visa </translation>
    </message>
    <message>
        <source>&amp;Rename</source>
        <translation>&amp;Byt namn</translation>
    </message>
    <message>
        <source>&amp;Delete</source>
        <translation>&amp;Ta bort</translation>
    </message>
    <message>
        <source>Show &amp;hidden files</source>
        <translation>Visa &amp;dolda filer</translation>
    </message>
    <message>
        <source>&amp;New Folder</source>
        <translation>&amp;Ny mapp</translation>
    </message>
    <message>
        <source>New Folder</source>
        <translation>Ny mapp</translation>
    </message>
    <message>
        <source>All Files (*)</source>
        <translation>Alla filer (*)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alla filer (*)</translation>
    </message>
    <message>
        <source>Directories</source>
        <translation>Mappar</translation>
    </message>
    <message>
        <source>Recent Places</source>
        <translation>Senaste platser</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Ta bort</translation>
    </message>
    <message>
        <source>%1
Directory not found.
Please verify the correct directory name was given.</source>
        <translation>%1
Mappen finns inte.
Kontrollera att mappens namn är rätt.</translation>
    </message>
    <message>
        <source>%1
File not found.
Please verify the correct file name was given.</source>
        <translation>%1
Filen finns inte.
Kontrollera att filens namn är rätt.</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to replace it?</source>
        <translation>%1 finns redan.
Vill du ersätta den?</translation>
    </message>
    <message>
        <source>Are you sure you want to delete &apos;%1&apos;?</source>
        <translation>Vill du verkligen ta bort &apos;%1&apos;?</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is write protected.
Do you want to delete it anyway?</source>
        <translation>&apos;%1&apos; är skrivskyddad.
Vill du ta bort den ändå?</translation>
    </message>
    <message>
        <source>Could not delete directory.</source>
        <translation>Mappen kunde inte tas bort.</translation>
    </message>
</context>
<context>
    <name>QFileSystemModel</name>
    <message>
        <source>Name</source>
        <translation>Namn</translation>
    </message>
    <message>
        <source>Size</source>
        <translation>Storlek</translation>
    </message>
    <message>
        <source>Type</source>
        <comment>All other platforms</comment>
        <translation>Typ</translation>
    </message>
    <message>
        <source>Date Modified</source>
        <translation>Ändringsdatum</translation>
    </message>
    <message>
        <source>Computer</source>
        <translation>Dator</translation>
    </message>
</context>
<context>
    <name>QAbstractFileIconProvider</name>
    <message>
        <source>Drive</source>
        <translation>Enhet</translation>
    </message>
    <message>
        <source>Folder</source>
        <comment>All other platforms</comment>
        <translation>Mapp</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Okänd</translation>
    </message>
</context>
<context>
    <name>QPrintDialog</name>
    <message>
        <source>Print</source>
        <translation>Skriv ut</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>Skriv &amp;ut</translation>
    </message>
    <message>
        <source>&amp;Options &gt;&gt;</source>
        <translation>&amp;Alternativ &gt;&gt;</translation>
    </message>
    <message>
        <source>&amp;Options &lt;&lt;</source>
        <translation>&amp;Alternativ &lt;&lt;</translation>
    </message>
    <message>
        <source>Print to File (PDF)</source>
        <translation>Skriv till fil (PDF)</translation>
    </message>
    <message>
        <source>Local file</source>
        <translation>Lokal fil</translation>
    </message>
    <message>
        <source>Write PDF file</source>
        <translation>Skriv en PDF-fil</translation>
    </message>
    <message>
        <source>Print To File ...</source>
        <translation>Skriv till fil ...</translation>
    </message>
    <message>
        <source>All Pages</source>
        <translation>Alla sidor</translation>
    </message>
    <message>
        <source>Odd Pages</source>
        <translation>Udda sidor</translation>
    </message>
    <message>
        <source>Even Pages</source>
        <translation>Jämna sidor</translation>
    </message>
    <message>
        <source>Left to Right, Top to Bottom</source>
        <translation>Vänster till höger, uppifrån och ned</translation>
    </message>
    <message>
        <source>Left to Right, Bottom to Top</source>
        <translation>Vänster till höger, nedifrån och upp</translation>
    </message>
    <message>
        <source>Right to Left, Bottom to Top</source>
        <translation>Höger till vänster, nedifrån och upp</translation>
    </message>
    <message>
        <source>Right to Left, Top to Bottom</source>
        <translation>Höger till vänster, uppifrån och ned</translation>
    </message>
    <message>
        <source>Bottom to Top, Left to Right</source>
        <translation>Nedifrån och upp, vänster till höger</translation>
    </message>
    <message>
        <source>Bottom to Top, Right to Left</source>
        <translation>Nedifrån och upp, höger till vänster</translation>
    </message>
    <message>
        <source>Top to Bottom, Left to Right</source>
        <translation>Uppifrån och ned, vänster till höger</translation>
    </message>
    <message>
        <source>Top to Bottom, Right to Left</source>
        <translation>Uppifrån och ned, höger till vänster</translation>
    </message>
    <message>
        <source>%1 is a directory.
Please choose a different file name.</source>
        <translation>%1 är en mapp.
Välj ett annat filnamn.</translation>
    </message>
    <message>
        <source>File %1 is not writable.
Please choose a different file name.</source>
        <translation>Det går inte att skriva filen %1.
Välj ett annat filnamn.</translation>
    </message>
    <message>
        <source>%1 already exists.
Do you want to overwrite it?</source>
        <translation>%1 finns redan.
Vill du skriva över den?</translation>
    </message>
    <message>
        <source>Options &apos;Pages Per Sheet&apos; and &apos;Page Set&apos; cannot be used together.
Please turn one of those options off.</source>
        <translation>Alternativen &apos;Sidor per ark&apos; och &apos;Sidurval&apos; kan inte användas samtidigt.
Stäng av ett av dem.</translation>
    </message>
    <message>
        <source>Invalid Pages Definition</source>
        <translation>Felaktigt sidurval</translation>
    </message>
    <message>
        <source>%1 does not follow the correct syntax. Please use &apos;,&apos; to separate ranges and pages, &apos;-&apos; to define ranges and make sure ranges do not intersect with each other.</source>
        <translation>%1 är inte rätt skrivet. Skilj sidor och intervall åt med &apos;,&apos;, ange ett intervall med &apos;-&apos; och se till att intervallen inte överlappar varandra.</translation>
    </message>
    <message>
        <source>Duplex Settings Conflicts</source>
        <translation>Motstridiga inställningar för dubbelsidig utskrift</translation>
    </message>
    <message>
        <source>There are conflicts in duplex settings. Do you want to fix them?</source>
        <translation>Inställningarna för dubbelsidig utskrift strider mot varandra. Vill du rätta dem?</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesDialog</name>
    <message>
        <source>Printer Properties</source>
        <translation>Skrivarens egenskaper</translation>
    </message>
    <message>
        <source>Job Options</source>
        <translation>Jobbalternativ</translation>
    </message>
    <message>
        <source>Page Setup Conflicts</source>
        <translation>Motstridiga sidinställningar</translation>
    </message>
    <message>
        <source>There are conflicts in page setup options. Do you want to fix them?</source>
        <translation>Sidinställningarna strider mot varandra. Vill du rätta dem?</translation>
    </message>
    <message>
        <source>Advanced Option Conflicts</source>
        <translation>Motstridiga avancerade alternativ</translation>
    </message>
    <message>
        <source>There are conflicts in some advanced options. Do you want to fix them?</source>
        <translation>Några avancerade alternativ strider mot varandra. Vill du rätta dem?</translation>
    </message>
</context>
<context>
    <name>QPrintPropertiesWidget</name>
    <message>
        <source>Form</source>
        <translation>Formulär</translation>
    </message>
    <message>
        <source>Page</source>
        <translation>Sida</translation>
    </message>
    <message>
        <source>Advanced</source>
        <translation>Avancerat</translation>
    </message>
    <message>
        <source>There are conflicts in some options. Please fix them.</source>
        <translation>Några alternativ strider mot varandra. Rätta dem.</translation>
    </message>
</context>
<context>
    <name>QPrintWidget</name>
    <message>
        <source>Form</source>
        <translation>Formulär</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Skrivare</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Namn:</translation>
    </message>
    <message>
        <source>P&amp;roperties</source>
        <translation>&amp;Egenskaper</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Plats:</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>Förhandsgranska</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Typ:</translation>
    </message>
    <message>
        <source>Output &amp;file:</source>
        <translation>Utdata&amp;fil:</translation>
    </message>
</context>
<context>
    <name>QPrintSettingsOutput</name>
    <message>
        <source>Form</source>
        <translation>Formulär</translation>
    </message>
    <message>
        <source>Copies</source>
        <translation>Kopior</translation>
    </message>
    <message>
        <source>Print range</source>
        <translation>Utskriftsintervall</translation>
    </message>
    <message>
        <source>Print all</source>
        <translation>Skriv ut alla</translation>
    </message>
    <message>
        <source>Pages from</source>
        <translation>Sidor från</translation>
    </message>
    <message>
        <source>to</source>
        <translation>till</translation>
    </message>
    <message>
        <source>Pages</source>
        <translation>Sidor</translation>
    </message>
    <message>
        <source>Specify pages or ranges separated by commas. Ranges are specified by two numbers separated by a hyphen. E.g: 3,5-7,9 prints pages 3, 5, 6, 7 and 9.</source>
        <translation>Ange sidor eller intervall åtskilda med kommatecken. Ett intervall är två tal med ett bindestreck emellan. T.ex. skriver 3,5-7,9 ut sidorna 3, 5, 6, 7 och 9.</translation>
    </message>
    <message>
        <source>Current Page</source>
        <translation>Aktuell sida</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Markering</translation>
    </message>
    <message>
        <source>Page Set:</source>
        <translation>Sidurval:</translation>
    </message>
    <message>
        <source>Output Settings</source>
        <translation>Utskriftsinställningar</translation>
    </message>
    <message>
        <source>Copies:</source>
        <translation>Kopior:</translation>
    </message>
    <message>
        <source>Collate</source>
        <translation>Sortera</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>Omvänd ordning</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Alternativ</translation>
    </message>
    <message>
        <source>Color Mode</source>
        <translation>Färgläge</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Färg</translation>
    </message>
    <message>
        <source>Grayscale</source>
        <translation>Gråskala</translation>
    </message>
    <message>
        <source>Double Sided Printing</source>
        <translation>Dubbelsidig utskrift</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Av</translation>
    </message>
    <message>
        <source>Long side binding</source>
        <translation>Bindning längs långsidan</translation>
    </message>
    <message>
        <source>Short side binding</source>
        <translation>Bindning längs kortsidan</translation>
    </message>
</context>
<context>
    <name>QPageSetupWidget</name>
    <message>
        <source>Form</source>
        <translation>Formulär</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>Papper</translation>
    </message>
    <message>
        <source>Page size:</source>
        <translation>Pappersstorlek:</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>Bredd:</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>Höjd:</translation>
    </message>
    <message>
        <source>Paper source:</source>
        <translation>Papperskälla:</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Orientering</translation>
    </message>
    <message>
        <source>Portrait</source>
        <translation>Stående</translation>
    </message>
    <message>
        <source>Landscape</source>
        <translation>Liggande</translation>
    </message>
    <message>
        <source>Reverse landscape</source>
        <translation>Omvänt liggande</translation>
    </message>
    <message>
        <source>Reverse portrait</source>
        <translation>Omvänt stående</translation>
    </message>
    <message>
        <source>Margins</source>
        <translation>Marginaler</translation>
    </message>
    <message>
        <source>top margin</source>
        <translation>övre marginal</translation>
    </message>
    <message>
        <source>left margin</source>
        <translation>vänster marginal</translation>
    </message>
    <message>
        <source>right margin</source>
        <translation>höger marginal</translation>
    </message>
    <message>
        <source>bottom margin</source>
        <translation>nedre marginal</translation>
    </message>
    <message>
        <source>Page Layout</source>
        <translation>Sidlayout</translation>
    </message>
    <message>
        <source>Page order:</source>
        <translation>Sidordning:</translation>
    </message>
    <message>
        <source>Pages per sheet:</source>
        <translation>Sidor per ark:</translation>
    </message>
    <message>
        <source>Custom</source>
        <translation>Anpassad</translation>
    </message>
    <message>
        <source>Millimeters (mm)</source>
        <translation>Millimeter (mm)</translation>
    </message>
    <message>
        <source>Inches (in)</source>
        <translation>Tum (in)</translation>
    </message>
    <message>
        <source>Points (pt)</source>
        <translation>Punkter (pt)</translation>
    </message>
</context>
<context>
    <name>QCupsJobWidget</name>
    <message>
        <source>Job</source>
        <translation>Jobb</translation>
    </message>
    <message>
        <source>Job Control</source>
        <translation>Jobbhantering</translation>
    </message>
    <message>
        <source>Scheduled printing:</source>
        <translation>Schemalagd utskrift:</translation>
    </message>
    <message>
        <source>Billing information:</source>
        <translation>Debiteringsuppgifter:</translation>
    </message>
    <message>
        <source>Job priority:</source>
        <translation>Jobbprioritet:</translation>
    </message>
    <message>
        <source>Banner Pages</source>
        <translation>Försättsblad</translation>
    </message>
    <message>
        <source>End:</source>
        <comment>Banner page at end</comment>
        <translation>Slut:</translation>
    </message>
    <message>
        <source>Start:</source>
        <comment>Banner page at start</comment>
        <translation>Början:</translation>
    </message>
    <message>
        <source>Print Immediately</source>
        <translation>Skriv ut genast</translation>
    </message>
    <message>
        <source>Hold Indefinitely</source>
        <translation>Vänta tills vidare</translation>
    </message>
    <message>
        <source>Day (06:00 to 17:59)</source>
        <translation>Dag (06:00 till 17:59)</translation>
    </message>
    <message>
        <source>Night (18:00 to 05:59)</source>
        <translation>Natt (18:00 till 05:59)</translation>
    </message>
    <message>
        <source>Second Shift (16:00 to 23:59)</source>
        <translation>Andra skiftet (16:00 till 23:59)</translation>
    </message>
    <message>
        <source>Third Shift (00:00 to 07:59)</source>
        <translation>Tredje skiftet (00:00 till 07:59)</translation>
    </message>
    <message>
        <source>Weekend (Saturday to Sunday)</source>
        <translation>Helg (lördag till söndag)</translation>
    </message>
    <message>
        <source>Specific Time</source>
        <translation>Vid en viss tid</translation>
    </message>
    <message>
        <source>None</source>
        <comment>CUPS Banner page</comment>
        <translation>Inget</translation>
    </message>
    <message>
        <source>Standard</source>
        <comment>CUPS Banner page</comment>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Unclassified</source>
        <comment>CUPS Banner page</comment>
        <translation>Oklassificerat</translation>
    </message>
    <message>
        <source>Confidential</source>
        <comment>CUPS Banner page</comment>
        <translation>Konfidentiellt</translation>
    </message>
    <message>
        <source>Classified</source>
        <comment>CUPS Banner page</comment>
        <translation>Klassificerat</translation>
    </message>
    <message>
        <source>Secret</source>
        <comment>CUPS Banner page</comment>
        <translation>Hemligt</translation>
    </message>
    <message>
        <source>Top Secret</source>
        <comment>CUPS Banner page</comment>
        <translation>Topphemligt</translation>
    </message>
</context>
<context>
    <name>QPageSize</name>
    <message>
        <source>%1 x %2 in</source>
        <translation>%1 x %2 tum</translation>
    </message>
    <message>
        <source>A3 Extra</source>
        <translation>A3 extra</translation>
    </message>
    <message>
        <source>A4 Extra</source>
        <translation>A4 extra</translation>
    </message>
    <message>
        <source>A4 Plus</source>
        <translation>A4 plus</translation>
    </message>
    <message>
        <source>A4 Small</source>
        <translation>A4 liten</translation>
    </message>
    <message>
        <source>A5 Extra</source>
        <translation>A5 extra</translation>
    </message>
    <message>
        <source>B5 Extra</source>
        <translation>B5 extra</translation>
    </message>
    <message>
        <source>Architect A</source>
        <translation>Arkitekt A</translation>
    </message>
    <message>
        <source>Architect B</source>
        <translation>Arkitekt B</translation>
    </message>
    <message>
        <source>Architect C</source>
        <translation>Arkitekt C</translation>
    </message>
    <message>
        <source>Architect D</source>
        <translation>Arkitekt D</translation>
    </message>
    <message>
        <source>Architect E</source>
        <translation>Arkitekt E</translation>
    </message>
    <message>
        <source>Executive (7.25 x 10.5 in)</source>
        <translation>Executive (7,25 x 10,5 tum)</translation>
    </message>
    <message>
        <source>Executive (7.5 x 10 in)</source>
        <translation>Executive (7,5 x 10 tum)</translation>
    </message>
    <message>
        <source>Fan-fold German (8.5 x 12 in)</source>
        <translation>Tysk löpande papper (8,5 x 12 tum)</translation>
    </message>
    <message>
        <source>Fan-fold German Legal (8.5 x 13 in)</source>
        <translation>Tysk löpande papper Legal (8,5 x 13 tum)</translation>
    </message>
    <message>
        <source>Fan-fold US (14.875 x 11 in)</source>
        <translation>Amerikanskt löpande papper (14,875 x 11 tum)</translation>
    </message>
    <message>
        <source>Folio (8.27 x 13 in)</source>
        <translation>Folio (8,27 x 13 tum)</translation>
    </message>
    <message>
        <source>Letter Extra</source>
        <translation>Letter extra</translation>
    </message>
    <message>
        <source>Letter Plus</source>
        <translation>Letter plus</translation>
    </message>
    <message>
        <source>Letter Small</source>
        <translation>Letter liten</translation>
    </message>
    <message>
        <source>Legal Extra</source>
        <translation>Legal extra</translation>
    </message>
    <message>
        <source>Tabloid Extra</source>
        <translation>Tabloid extra</translation>
    </message>
    <message>
        <source>Postcard</source>
        <translation>Vykort</translation>
    </message>
    <message>
        <source>Double Postcard</source>
        <translation>Dubbelt vykort</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Anteckningsblad</translation>
    </message>
    <message>
        <source>Statement</source>
        <translation>Statement</translation>
    </message>
    <message>
        <source>Quarto</source>
        <translation>Kvart</translation>
    </message>
    <message>
        <source>Envelope B4</source>
        <translation>Kuvert B4</translation>
    </message>
    <message>
        <source>Envelope B5</source>
        <translation>Kuvert B5</translation>
    </message>
    <message>
        <source>Envelope B6</source>
        <translation>Kuvert B6</translation>
    </message>
    <message>
        <source>Envelope C0</source>
        <translation>Kuvert C0</translation>
    </message>
    <message>
        <source>Envelope C1</source>
        <translation>Kuvert C1</translation>
    </message>
    <message>
        <source>Envelope C2</source>
        <translation>Kuvert C2</translation>
    </message>
    <message>
        <source>Envelope C3</source>
        <translation>Kuvert C3</translation>
    </message>
    <message>
        <source>Envelope C4</source>
        <translation>Kuvert C4</translation>
    </message>
    <message>
        <source>Envelope C5</source>
        <translation>Kuvert C5</translation>
    </message>
    <message>
        <source>Envelope C6</source>
        <translation>Kuvert C6</translation>
    </message>
    <message>
        <source>Envelope C65</source>
        <translation>Kuvert C65</translation>
    </message>
    <message>
        <source>Envelope C7</source>
        <translation>Kuvert C7</translation>
    </message>
    <message>
        <source>Envelope DL</source>
        <translation>Kuvert DL</translation>
    </message>
    <message>
        <source>Envelope US 9</source>
        <translation>Kuvert US 9</translation>
    </message>
    <message>
        <source>Envelope US 10</source>
        <translation>Kuvert US 10</translation>
    </message>
    <message>
        <source>Envelope US 11</source>
        <translation>Kuvert US 11</translation>
    </message>
    <message>
        <source>Envelope US 12</source>
        <translation>Kuvert US 12</translation>
    </message>
    <message>
        <source>Envelope US 14</source>
        <translation>Kuvert US 14</translation>
    </message>
    <message>
        <source>Envelope Chou 3</source>
        <translation>Kuvert Chou 3</translation>
    </message>
    <message>
        <source>Envelope Chou 4</source>
        <translation>Kuvert Chou 4</translation>
    </message>
    <message>
        <source>Envelope Kaku 2</source>
        <translation>Kuvert Kaku 2</translation>
    </message>
    <message>
        <source>Envelope Kaku 3</source>
        <translation>Kuvert Kaku 3</translation>
    </message>
    <message>
        <source>Envelope PRC 1</source>
        <translation>Kuvert PRC 1</translation>
    </message>
    <message>
        <source>Envelope PRC 2</source>
        <translation>Kuvert PRC 2</translation>
    </message>
    <message>
        <source>Envelope PRC 3</source>
        <translation>Kuvert PRC 3</translation>
    </message>
    <message>
        <source>Envelope PRC 4</source>
        <translation>Kuvert PRC 4</translation>
    </message>
    <message>
        <source>Envelope PRC 5</source>
        <translation>Kuvert PRC 5</translation>
    </message>
    <message>
        <source>Envelope PRC 6</source>
        <translation>Kuvert PRC 6</translation>
    </message>
    <message>
        <source>Envelope PRC 7</source>
        <translation>Kuvert PRC 7</translation>
    </message>
    <message>
        <source>Envelope PRC 8</source>
        <translation>Kuvert PRC 8</translation>
    </message>
    <message>
        <source>Envelope PRC 9</source>
        <translation>Kuvert PRC 9</translation>
    </message>
    <message>
        <source>Envelope PRC 10</source>
        <translation>Kuvert PRC 10</translation>
    </message>
    <message>
        <source>Envelope Invite</source>
        <translation>Inbjudningskuvert</translation>
    </message>
    <message>
        <source>Envelope Italian</source>
        <translation>Italienskt kuvert</translation>
    </message>
    <message>
        <source>Envelope Monarch</source>
        <translation>Kuvert Monarch</translation>
    </message>
    <message>
        <source>Envelope Personal</source>
        <translation>Kuvert Personal</translation>
    </message>
</context>
</TS>
