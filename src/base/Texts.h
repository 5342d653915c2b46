#pragma once
#include <span>

#include "base/BilingualText.h"

namespace flowdesk {

// Every text the screens show, in French and English, compiled in. Names
// follow the meaning of the English text: kTxt + PascalCase words
// (kTxtUploadFailure, kTxtMeasurementFile). Menu entries, which carry an
// accelerator '&', are kTxtMenu... (kTxtMenuFile is "&Fichier"); the dialog
// buttons "&Oui"/"&Non" are kTxtButtonYes/kTxtButtonNo. Numbered families end
// in their number (kTxtParameter1, kTxtChord6, kTxtEchoLossV3); the numbered
// rows of the deviation report use No (kTxtLengthNo2 is "Longueur 2").
// A pair that several screens share exists once.

// Main window: menu, New and About, file kinds, uploads
inline constexpr BilingualText kTxtMenuFile{"&Fichier", "&File"};
inline constexpr BilingualText kTxtMenuOpen{"&Ouvrir", "&Open"};
inline constexpr BilingualText kTxtMenuNew{"&Nouveau", "&New"};
inline constexpr BilingualText kTxtMenuExit{"&Quitter", "E&xit"};
inline constexpr BilingualText kTxtMenuDialogue{"&Dialogue", "&Dialogue"};
inline constexpr BilingualText kTxtMenuMeasurement{"&Mesure", "&Measurement"};
inline constexpr BilingualText kTxtMenuEchoDisplay{"&Visu. Echo", "&Echo display"};
inline constexpr BilingualText kTxtMenuLogger{"&Logger", "&Logger"};
inline constexpr BilingualText kTxtMenuCalibration{"&Etalonnage", "&Calibration"};
inline constexpr BilingualText kTxtMenuDisplay{"&Visualisation", "&Display"};
inline constexpr BilingualText kTxtMenuInitialization{"&Initialisation", "&Initialization"};
inline constexpr BilingualText kTxtMenuConfiguration{"&Configuration", "&Configuration"};
inline constexpr BilingualText kTxtMenuAbout{"&A Propos de ...", "&About ..."};
inline constexpr BilingualText kTxtMenuSpFile{"&Fichier SP", "SP &File"};
inline constexpr BilingualText kTxtNewFileBase{"Nouveau", "New"};
inline constexpr BilingualText kTxtAboutTitle{"A Propos de ", "About "};
inline constexpr BilingualText kTxtCalibration{"Etalonnage", "Calibration"};
inline constexpr BilingualText kTxtMeasurementFile{"Fichier Mesure", "Measurement File"};
inline constexpr BilingualText kTxtLoggerFile{"Fichier Logger", "Logger File"};
inline constexpr BilingualText kTxtNorvadineSettingsFile{"Fichier Réglage NORVADINE",
                                                         "NORVADINE Settings File"};
inline constexpr BilingualText kTxtUploadNorvadineSettings{"Transfert Réglage NORVADINE",
                                                           "Upload NORVADINE Settings"};
inline constexpr BilingualText kTxtFactorySettingsFile{"Fichier Réglage Usine",
                                                       "Factory Settings File"};
inline constexpr BilingualText kTxtUploadFactorySettings{"Transfert Réglage Usine",
                                                         "Upload Factory Settings"};
inline constexpr BilingualText kTxtEchoFile{"Fichier Echo", "Echo File"};
inline constexpr BilingualText kTxtMenuFactorySettings{"&Réglage Usine", "&Factory Settings"};
inline constexpr BilingualText kTxtMenuNorvadineSettings{"Réglage &NORVADINE",
                                                         "&NORVADINE Settings"};
inline constexpr BilingualText kTxtSetupTime{"Mise à l'heure", "Setup Time"};
inline constexpr BilingualText kTxtUploadConfigurationNo{"Transfert config n°",
                                                         "Upload Configuration n° "};
inline constexpr BilingualText kTxtUploadLoggerInformation{"Transfert paramétres Logger",
                                                           "Upload Logger Information"};
inline constexpr BilingualText kTxtCalibrationFile{"Fichier Etalonnage", "Calibration File"};
inline constexpr BilingualText kTxtResetInformation{"Traitement Raz", "Reset Information"};
inline constexpr BilingualText kTxtUploadFailure{"Téléchargement à échoué", "Upload Failure"};
inline constexpr BilingualText kTxtUploadCaption{"TELECHARGEMENT", "UPLOAD"};
inline constexpr BilingualText kTxtPleaseWait{"Veuillez patienter", "Please wait"};

// Stop-measurement confirmation
inline constexpr BilingualText kTxtAttention{"ATTENTION", "ATTENTION"};
inline constexpr BilingualText kTxtMeasurementStopped{"La mesure va s'arrêter",
                                                      "Measurement stopped"};
inline constexpr BilingualText kTxtAreYouSure{"Etes vous sur ?", "Are you sure ?"};
inline constexpr BilingualText kTxtButtonYes{"&Oui", "&Yes"};
inline constexpr BilingualText kTxtButtonNo{"&Non", "&No"};

// Connection page
inline constexpr BilingualText kTxtConnectCaption{"DETECTION UNITE", "CONNECT TO UNIT"};
inline constexpr BilingualText kTxtConnectFailure{"La détection à échouée", "Connect Failure"};
inline constexpr BilingualText kTxtConnectSuccess{"La détection à reussi", "Connect successfull"};
inline constexpr BilingualText kTxtConfiguration{"Configuration", "Configuration"};
inline constexpr BilingualText kTxtCom{"Com", "Com"};
inline constexpr BilingualText kTxtBauds{"Bauds", "Bauds"};
inline constexpr BilingualText kTxtSpreadsheet{"Tableur", "SpreadSheet"};
inline constexpr BilingualText kTxtBrowse{"Parcourir", "Browse"};
inline constexpr BilingualText kTxtLanguageName{"Français", "English"};
inline constexpr BilingualText kTxtJbus{"Jbus", "Jbus"};
inline constexpr BilingualText kTxtLanguage{"Langue", "Language"};
inline constexpr BilingualText kTxtConnect{"Connect", "Connect"};

// Measurement screen
inline constexpr BilingualText kTxtMeasurement{"Mesure", "Measurement"};
inline constexpr BilingualText kTxtTryingToConnect{"Attente de connection", "Trying to connect"};
inline constexpr BilingualText kTxtCalorie{"Calorimétrie", "calorie"};
inline constexpr BilingualText kTxtPower{"Puissance", "Power"};
inline constexpr BilingualText kTxtKw{"kW", "kW"};
inline constexpr BilingualText kTxtT1{"T1", "T1"};
inline constexpr BilingualText kTxtDegreesCelsius{"°C", "°C"};
inline constexpr BilingualText kTxtT2{"T2", "T2"};
inline constexpr BilingualText kTxtDt{"DT", "DT"};
inline constexpr BilingualText kTxtFault{"Défaut", "Fault"};
inline constexpr BilingualText kTxtNoFault{"Pas de Défaut", "No Fault"};
inline constexpr BilingualText kTxtFlowFault{"Défaut Débit", "Flow Fault"};
inline constexpr BilingualText kTxtFaultV{"Défaut V", "Fault V"};
inline constexpr BilingualText kTxtCalorieFault{"Défaut calorie", "calorie fault"};
inline constexpr BilingualText kTxtRelayCountFault{"Défaut comptage relais", "Overflow relay"};
inline constexpr BilingualText kTxtLowBatteryRamcard{"pile RAMCARD faible", "low batt. RAMCARD"};
inline constexpr BilingualText kTxtLogger{"Logger", "Logger"};
inline constexpr BilingualText kTxtSize{"Taille", "Size"};
inline constexpr BilingualText kTxtRecordingFilled{"Enregistré", "Recording filled"};
inline constexpr BilingualText kTxtChord{"Corde", "Chord"};
inline constexpr BilingualText kTxtProbeDiameter{"D. Sonde", "D. Probe"};
inline constexpr BilingualText kTxtTotalizers{"Totalisateurs", "Totalizers"};
inline constexpr BilingualText kTxtT3{"T3", "T3"};
inline constexpr BilingualText kTxtVol{"Vol.", "Vol."};
inline constexpr BilingualText kTxtT1MinusT2{"T.(1-2)", "T.(1-2)"};
inline constexpr BilingualText kTxtSoftwareVersions{"Versions Logiciel", "Software Versions"};
inline constexpr BilingualText kTxtAff{"AFF", "AFF"};
inline constexpr BilingualText kTxtVov{"VOV", "VOV"};
inline constexpr BilingualText kTxtCommunicationFailure{"Communication interrompue",
                                                        "Communication Failure"};
inline constexpr BilingualText kTxtRecordCounts{"Nbre d'Enregistrements=%d  N° d'Enregistrement=%d",
                                                "Total Records=%d  Record N°=%d"};
inline constexpr BilingualText kTxtRecordNo{"Enregistrement n° %d", "Record n° %d"};
inline constexpr BilingualText kTxtColumnT{"T (µs)", "T (µs)"};
inline constexpr BilingualText kTxtColumnDt{"dT(ns)", "dT(ns)"};
inline constexpr BilingualText kTxtColumnG{"G (dB)", "G (dB)"};
inline constexpr BilingualText kTxtColumnV{"V (m/s)", "V (m/s)"};
inline constexpr BilingualText kTxtColumnC{"C (m/s)", "C (m/s)"};
inline constexpr BilingualText kTxtSpeed{"Vitesse", "Speed"};
inline constexpr BilingualText kTxtVelocity{"Célérité", "Velocity"};
inline constexpr BilingualText kTxtMetresPerSecond{"m/s", "m/s"};
inline constexpr BilingualText kTxtMillimetres{"mm", "mm"};
inline constexpr BilingualText kTxtFlow{"Débit", "Flow"};
inline constexpr BilingualText kTxtKh{"KH", "KH"};
inline constexpr BilingualText kTxtProbe{"Sonde", "Probe"};

// Logger viewer and download
inline constexpr BilingualText kTxtTimeRemaining{"temps de dechargement restant",
                                                 "time of unloading remaining"};

// Logger configuration
inline constexpr BilingualText kTxtLoggerConfiguration{"Configuration Logger",
                                                       "Logger Configuration"};
inline constexpr BilingualText kTxtNbrOfParameters{"Nbr de Paramètres", "Nbr of Parameters"};
inline constexpr BilingualText kTxtParameter1{"Paramètre n°1", "Parameter 1"};
inline constexpr BilingualText kTxtParameter2{"Paramètre n°2", "Parameter 2"};
inline constexpr BilingualText kTxtParameter3{"Paramètre n°3", "Parameter 3"};
inline constexpr BilingualText kTxtParameter4{"Paramètre n°4", "Parameter 4"};
inline constexpr BilingualText kTxtParameter5{"Paramètre n°5", "Parameter 5"};
inline constexpr BilingualText kTxtParameter6{"Paramètre n°6", "Parameter 6"};
inline constexpr BilingualText kTxtParameter7{"Paramètre n°7", "Parameter 7"};
inline constexpr BilingualText kTxtParameter8{"Paramètre n°8", "Parameter 8"};
inline constexpr BilingualText kTxtParameter9{"Paramètre n°9", "Parameter 9"};
inline constexpr BilingualText kTxtLoggerStep{"Période Logger", "Logger Step"};
inline constexpr BilingualText kTxtPointNumber{"N° de Point", "Point"};
inline constexpr BilingualText kTxtLoggerRange{"Autonomie Logger", "Logger Range"};
inline constexpr BilingualText kTxtEraseLogger{"RAZ Logger", "Erase Logger"};
inline constexpr BilingualText kTxtDays{"Jour(s)", "Day(s)"};
inline constexpr BilingualText kTxtAverageFlow{"Q moy", "Q av."};
inline constexpr BilingualText kTxtUploadToUnit{"Téléchargement vers Unité", "Upload to unit"};

// Logger viewer and download
inline constexpr BilingualText kTxtRecordingsFilled{"Nbre d'enregistrements remplis",
                                                    "Nbr recordings filled"};
inline constexpr BilingualText kTxtTotalRecordings{"Nbre total d'enregistrements",
                                                   "Nbr total recordings"};
inline constexpr BilingualText kTxtHelpStatus{"Aide ETAT", "Help STATUS"};
inline constexpr BilingualText kTxtGoRecord{"Go Enr.", "Go Rec."};
inline constexpr BilingualText kTxtNumberSign{"N°", "N°"};
inline constexpr BilingualText kTxtTime{"Heure", "Time"};
inline constexpr BilingualText kTxtDate{"Date", "Date"};
inline constexpr BilingualText kTxtRecordColumn{"ENR. %d", "REC. %d"};
inline constexpr BilingualText kTxtPoint{"Point", "Point"};
inline constexpr BilingualText kTxtMark{"M", "M"};

// Status help window of the logger viewer
inline constexpr BilingualText kTxtStatusHelpTitle{"Aide Information ETAT", "Help STATUS"};
inline constexpr BilingualText kTxtStatusNoFault{"Pas de défaut", "No Fault"};
inline constexpr BilingualText kTxtCalibrationAccess{"Accés Etalonnage", "Calibration Access"};
inline constexpr BilingualText kTxtRamcardBatteryFault{"Défaut Pile RAMCARD",
                                                       "RAMCARD Battery Fault"};
inline constexpr BilingualText kTxtRelayOverflow{"Surcomptage Relais", "Overflow Relay"};
inline constexpr BilingualText kTxtPowerOn{"Remise sous tension", "Power On"};
inline constexpr BilingualText kTxtCalorimetryFault{"Défaut Calorimétrie", "Calorimetry Fault"};
inline constexpr BilingualText kTxtEchoLossV1{"Défaut Echo V1", "Echo Loss V1"};
inline constexpr BilingualText kTxtEchoLossV2{"Défaut Echo V2", "Echo Loss V2"};
inline constexpr BilingualText kTxtEchoLossV3{"Défaut Echo V3", "Echo Loss V3"};
inline constexpr BilingualText kTxtEchoLossV4{"Défaut Echo V4", "Echo Loss V4"};
inline constexpr BilingualText kTxtEchoLossV5{"Défaut Echo V5", "Echo Loss V5"};
inline constexpr BilingualText kTxtEchoLossV6{"Défaut Echo V6", "Echo Loss V6"};

// File conversion
inline constexpr BilingualText kTxtIq{"I.Q.", "I.Q."};
inline constexpr BilingualText kTxtVal{"Val.", "Val."};
inline constexpr BilingualText kTxtConvertFile{"Convertir Fichier", "Convert File"};
inline constexpr BilingualText kTxtTotalRecord{"Nbr d'Enr. Total", "Total Record"};
inline constexpr BilingualText kTxtCurrentRecord{"Enr. en cours", "Record"};
inline constexpr BilingualText kTxtFirstDate{"1ere Date", "First Date"};
inline constexpr BilingualText kTxtLastDate{"Date en cours", "Last Date"};
inline constexpr BilingualText kTxtFileIn{"Fichier d'entrée", "File In"};
inline constexpr BilingualText kTxtFileOut{"Fichier de Sortie", "File Out"};
inline constexpr BilingualText kTxtFlowUnit{"Unité Q", "Q unit"};

// Measurement point page
inline constexpr BilingualText kTxtCentistokes{"cSt", "cSt"};
inline constexpr BilingualText kTxtChord1{"Corde1", "Chord1"};
inline constexpr BilingualText kTxtChord2{"Corde2", "Chord2"};
inline constexpr BilingualText kTxtChord3{"Corde3", "Chord3"};
inline constexpr BilingualText kTxtChord4{"Corde4", "Chord4"};
inline constexpr BilingualText kTxtChord5{"Corde5", "Chord5"};
inline constexpr BilingualText kTxtChord6{"Corde6", "Chord6"};
inline constexpr BilingualText kTxtDeltaT0Ns{"DeltaT0(ns)", "DeltaT0(ns)"};
inline constexpr BilingualText kTxtLengthMm{"Longueur(mm)", "Length(mm)"};
inline constexpr BilingualText kTxtAxialDistanceMm{"D.Axial(mm)", "Axial D.(mm)"};
inline constexpr BilingualText kTxtCi{"Ci", "Ci"};
inline constexpr BilingualText kTxtProbeMounting{"Montage Sonde", "Probe Mounting"};
inline constexpr BilingualText kTxtNbrOfChords{"Nbre de Paires", "Nbr of Chords"};
inline constexpr BilingualText kTxtQMin{"Q Min", "Q Min"};
inline constexpr BilingualText kTxtQMax{"Q Max", "Q Max"};
inline constexpr BilingualText kTxtMaterial{"Matériau", "Material"};
inline constexpr BilingualText kTxtThickness{"Epaisseur", "Thickness"};
inline constexpr BilingualText kTxtProduct{"Produit", "Product"};
inline constexpr BilingualText kTxtC0{"C0", "C0"};
inline constexpr BilingualText kTxtDeltaC{"DeltaC", "DeltaC"};
inline constexpr BilingualText kTxtKhType{"TypeKH", "KH Type"};
inline constexpr BilingualText kTxtViscosity{"Viscosité", "Viscosity"};
inline constexpr BilingualText kTxtRoughness{"Rugosité", "Roughness"};
inline constexpr BilingualText kTxtDiameterValue{"Valeur Diamètre", "Diameter value"};

// Inputs/outputs page
inline constexpr BilingualText kTxtPulseWeightTot3{"Poids Tot3", "P. weight Tot3"};
inline constexpr BilingualText kTxtCubicMetres{"m3", "m3"};
inline constexpr BilingualText kTxtKwh{"KWh", "KWh"};
inline constexpr BilingualText kTxtFilter{"Filtre", "Filter"};
inline constexpr BilingualText kTxtMemory{"Mémoire", "Memory"};
inline constexpr BilingualText kTxtGraphStep{"Période Grapheur", "Graph Step"};
inline constexpr BilingualText kTxtTotalizer1Type{"Type Tot1", "Totalizer1"};
inline constexpr BilingualText kTxtTotalizer2Type{"Type Tot2", "Totalizer2"};
inline constexpr BilingualText kTxtTotalizer3Type{"Type Tot3", "Totalizer3"};
inline constexpr BilingualText kTxtPulseWeightTot1{"Poids Tot1", "P. weight Tot1"};
inline constexpr BilingualText kTxtPulseWeightTot2{"Poids Tot2", "P. weight Tot2"};
inline constexpr BilingualText kTxtOutputCurrent{"Sortie Courant", "Output Current"};
inline constexpr BilingualText kTxtRelay1Type{"Type R1", "Relay1"};
inline constexpr BilingualText kTxtThresholdR1{"Seuil R1", "Threshold R1"};
inline constexpr BilingualText kTxtRelay2Type{"Type R2", "Relay2"};
inline constexpr BilingualText kTxtThresholdR2{"Seuil R2", "Threshold R2"};
inline constexpr BilingualText kTxtRelay3Type{"Type R3", "Relay3"};
inline constexpr BilingualText kTxtThresholdR3{"Seuil R3", "Threshold R3"};
inline constexpr BilingualText kTxtRelay4Type{"Type R4", "Relay4"};
inline constexpr BilingualText kTxtThresholdR4{"Seuil R4", "Threshold R4"};
inline constexpr BilingualText kTxtPulseWidth{"Largeur Pulse", "Pulse width"};
inline constexpr BilingualText kTxtSeconds{"s", "s"};

// Factory settings page
inline constexpr BilingualText kTxtNanoseconds{"ns", "ns"};
inline constexpr BilingualText kTxtPercent{"%", "%"};
inline constexpr BilingualText kTxtFunction{"Fonction", "Function"};
inline constexpr BilingualText kTxtQSimulation{"Q Simulation", "Q Simulation"};
inline constexpr BilingualText kTxtSimulationRipple{"Ondulation QSim", "Jetter Q Sim."};
inline constexpr BilingualText kTxtEchoPolarity{"Polarité Echo", "Echo Polarity"};
inline constexpr BilingualText kTxtDeltaTCutOff{"DeltaT eff.", "DeltaT CutOff"};
inline constexpr BilingualText kTxtEr2Processing{"Trt ER2", "ER2 Trt"};
inline constexpr BilingualText kTxtExternalProbeCoef{"Coef S. Ext.", "Ext. P. Coef"};
inline constexpr BilingualText kTxtResumeMeasurement{"Retour Mesure", "Resume Meas."};
inline constexpr BilingualText kTxtMinutes{"mn", "mn"};
inline constexpr BilingualText kTxtReverseDisplay{"Inversion Aff.", "Reverse Disp."};
inline constexpr BilingualText kTxtBacklight{"Rétroéclairage", "Backligth"};
inline constexpr BilingualText kTxtReverseVideo{"Inversion Vidéo", "Reverse Video"};
inline constexpr BilingualText kTxtContrast{"Contraste", "Contrast"};
inline constexpr BilingualText kTxtPercent0{"0%", "0%"};
inline constexpr BilingualText kTxtPercent10{"10%", "10%"};
inline constexpr BilingualText kTxtPercent20{"20%", "20%"};
inline constexpr BilingualText kTxtPercent30{"30%", "30%"};
inline constexpr BilingualText kTxtPercent40{"40%", "40%"};
inline constexpr BilingualText kTxtPercent50{"50%", "50%"};
inline constexpr BilingualText kTxtPercent60{"60%", "60%"};
inline constexpr BilingualText kTxtPercent70{"70%", "70%"};
inline constexpr BilingualText kTxtPercent80{"80%", "80%"};
inline constexpr BilingualText kTxtPercent90{"90%", "90%"};
inline constexpr BilingualText kTxtPercent100{"100%", "100%"};
inline constexpr BilingualText kTxtT0Us{"T0(µs)", "T0(µs)"};
inline constexpr BilingualText kTxtAngleDegrees{"Angle(°)", "Angle(°)"};
inline constexpr BilingualText kTxtFrequency{"Fréquence", "Frequency"};
inline constexpr BilingualText kTxtSp1{"SP1", "SP1"};
inline constexpr BilingualText kTxtSp2{"SP2", "SP2"};
inline constexpr BilingualText kTxtQRefLin{"Q Ref Lin", "Q Ref Lin"};
inline constexpr BilingualText kTxtQRefLinUnit{"Q Ref Lin unité", "Q Ref Lin unit"};
inline constexpr BilingualText kTxtT0Sp1{"T0 SP1", "T0 SP1"};
inline constexpr BilingualText kTxtT0Sp2{"T0 SP2", "T0 SP2"};
inline constexpr BilingualText kTxtAngleSp1{"Angle SP1", "Angle SP1"};
inline constexpr BilingualText kTxtAngleSp2{"Angle SP2", "Angle SP2"};
inline constexpr BilingualText kTxtFrequencySp1{"Fréquence SP1", "Frequency SP1"};
inline constexpr BilingualText kTxtFrequencySp2{"Fréquence SP2", "Frequency SP2"};
inline constexpr BilingualText kTxtText{"Texte", "Text"};
inline constexpr BilingualText kTxtTextSp1{"Texte SP1", "Text SP1"};
inline constexpr BilingualText kTxtTextSp2{"Texte SP2", "Text SP2"};
inline constexpr BilingualText kTxtFactorySettings{"Réglage Usine", "Factory Settings"};

// Maker settings page
inline constexpr BilingualText kTxtSerialNumber{"N° de série", "Serial Number"};
inline constexpr BilingualText kTxtPoints4mA{"Pts 4mA", "4mA Value"};
inline constexpr BilingualText kTxtPoints20mA{"Pts 20mA", "20mA Value"};
inline constexpr BilingualText kTxtDevice{"Unité", "Device"};
inline constexpr BilingualText kTxtNorvadineSettings{"Réglage NORVADINE", "NORVADINE Settings"};

// Special probes page
inline constexpr BilingualText kTxtUploadSpecialProbe{"Charge SP", "Upload Special Probe"};
inline constexpr BilingualText kTxtSpName{"Nom Sp", "SP Name"};
inline constexpr BilingualText kTxtSpAngle{"Angle Sp", "SP Angle"};
inline constexpr BilingualText kTxtSpT0{"T0 Sp", "SP T0"};
inline constexpr BilingualText kTxtSpFrequency{"Frequence Sp", "SP Frequency"};
inline constexpr BilingualText kTxtUploadSa{"Sauve dans SA", "Upload SA"};
inline constexpr BilingualText kTxtUploadSb{"Sauve dans SB", "Upload SB"};

// Configuration selection page
inline constexpr BilingualText kTxtReadConfiguration{"Lecture Configuration", "Read Configuration"};
inline constexpr BilingualText kTxtWriteToConfiguration{"Sauvegarde dans Configuration",
                                                        "Write to Configuration"};
inline constexpr BilingualText kTxtSyncWithPcTime{"Synchronisation avec heure PC",
                                                  "Synchronisation with PC time"};
inline constexpr BilingualText kTxtEraseTot1{"RAZ Tot1", "Erase Tot1"};
inline constexpr BilingualText kTxtEraseTot2{"RAZ Tot2", "Erase Tot2"};
inline constexpr BilingualText kTxtEraseTot3{"RAZ Tot3", "Erase Tot3"};
inline constexpr BilingualText kTxtSelectConfiguration{"Sélection Configuration",
                                                       "Select Configuration"};
inline constexpr BilingualText kTxtMeasurementPoint{"Point de Mesure", "Measurement Point"};
inline constexpr BilingualText kTxtInputOutput{"Entrées/Sorties", "Input/Output"};

// Unit/file deviation report
inline constexpr BilingualText kTxtDeviation{"Ecart", "Deviation"};
inline constexpr BilingualText kTxtUnitNumberLine{"Unité N° _____________",
                                                  "Unit N° _____________"};
inline constexpr BilingualText kTxtDeviationTitle{"Ecart entre Unité et Fichier ",
                                                  "Deviation between Unit and File "};
inline constexpr BilingualText kTxtDoneOn{"Fait le :", "Date :"};
inline constexpr BilingualText kTxtVisa{"Visa : __________", "Visa : __________"};
inline constexpr BilingualText kTxtDeviationHeader{"Nom\tValeur Unité\tValeur Fichier\n",
                                                   "Name\tUnit Value\tFile Value\n"};
inline constexpr BilingualText kTxtNoDeviation{"Aucun écart entre unité et Fichier",
                                               "None deviation between Unit and File"};
inline constexpr BilingualText kTxtLookFile{"Voir Fichier ", "Look File "};
inline constexpr BilingualText kTxtDiameterSetting{"Type Diamètre", "Diameter setting"};
inline constexpr BilingualText kTxtDeltaT0No1{"DeltaT0 1", "DeltaT0 1"};
inline constexpr BilingualText kTxtDeltaT0No2{"DeltaT0 2", "DeltaT0 2"};
inline constexpr BilingualText kTxtDeltaT0No3{"DeltaT0 3", "DeltaT0 3"};
inline constexpr BilingualText kTxtDeltaT0No4{"DeltaT0 4", "DeltaT0 4"};
inline constexpr BilingualText kTxtDeltaT0No5{"DeltaT0 5", "DeltaT0 5"};
inline constexpr BilingualText kTxtDeltaT0No6{"DeltaT0 6", "DeltaT0 6"};
inline constexpr BilingualText kTxtLengthNo1{"Longueur 1", "Length 1"};
inline constexpr BilingualText kTxtLengthNo2{"Longueur 2", "Length 2"};
inline constexpr BilingualText kTxtLengthNo3{"Longueur 3", "Length 3"};
inline constexpr BilingualText kTxtLengthNo4{"Longueur 4", "Length 4"};
inline constexpr BilingualText kTxtLengthNo5{"Longueur 5", "Length 5"};
inline constexpr BilingualText kTxtLengthNo6{"Longueur 6", "Length 6"};
inline constexpr BilingualText kTxtAxialDistanceNo1{"D.Axial 1", "Axial D. 1"};
inline constexpr BilingualText kTxtAxialDistanceNo2{"D.Axial 2", "Axial D. 2"};
inline constexpr BilingualText kTxtAxialDistanceNo3{"D.Axial 3", "Axial D. 3"};
inline constexpr BilingualText kTxtAxialDistanceNo4{"D.Axial 4", "Axial D. 4"};
inline constexpr BilingualText kTxtAxialDistanceNo5{"D.Axial 5", "Axial D. 5"};
inline constexpr BilingualText kTxtAxialDistanceNo6{"D.Axial 6", "Axial D. 6"};
inline constexpr BilingualText kTxtCiNo1{"Ci 1", "Ci 1"};
inline constexpr BilingualText kTxtCiNo2{"Ci 2", "Ci 2"};
inline constexpr BilingualText kTxtCiNo3{"Ci 3", "Ci 3"};
inline constexpr BilingualText kTxtCiNo4{"Ci 4", "Ci 4"};
inline constexpr BilingualText kTxtCiNo5{"Ci 5", "Ci 5"};
inline constexpr BilingualText kTxtCiNo6{"Ci 6", "Ci 6"};

// Echo display
inline constexpr BilingualText kTxtEchoDisplayTitle{"Visualisation écho", "Echo display"};
inline constexpr BilingualText kTxtVisuEcho{"Visu Echo", "Visu Echo"};
inline constexpr BilingualText kTxtEchoScreen{"Ecran", "Ecran"};

// Messages of the shared services (printing, the binding pools); shown as
// they are in both languages
inline constexpr BilingualText kTxtPrinterError{"Printer error", "Printer error"};
inline constexpr BilingualText kTxtStretchFailed{"StretchBlt Failed", "StretchBlt Failed"};
inline constexpr BilingualText kTxtComboPoolFull{"Taille ComboBox Trop faible",
                                                 "Taille ComboBox Trop faible"};
inline constexpr BilingualText kTxtButtonPoolFull{"Taille Button Trop faible",
                                                  "Taille Button Trop faible"};

// The status help window: a fixed letter and its meaning, in display order.
struct StatusHelpLine {
  const char* letter;
  BilingualText meaning;
};
inline constexpr StatusHelpLine kStatusHelpLines[] = {
    {"~", kTxtStatusNoFault},       {"A", kTxtFlowFault},     {"B", kTxtCalibrationAccess},
    {"C", kTxtRamcardBatteryFault}, {"D", kTxtRelayOverflow}, {"E", kTxtPowerOn},
    {"F", kTxtCalorimetryFault},    {"G", kTxtEchoLossV1},    {"H", kTxtEchoLossV2},
    {"I", kTxtEchoLossV3},          {"J", kTxtEchoLossV4},    {"K", kTxtEchoLossV5},
    {"L", kTxtEchoLossV6},
};

// Print job names, the same in both languages.
inline constexpr const char* kDocLoggerSettings = "Logger Settings";
inline constexpr const char* kDocMeasurementPoint = "Etal1";
inline constexpr const char* kDocInputsOutputs = "Etal2";
inline constexpr const char* kDocLogger = "Logger";
inline constexpr const char* kDocMeasurement = "Measurement";
inline constexpr const char* kDocMakerSettings = "NORVADINE Settings";
inline constexpr const char* kDocFactorySettings = "Factory Settings";
inline constexpr const char* kDocEcho = "Echo";

// Tab captions of the calibration sheet as string resources: the French ID,
// then the English one right after it (102/103, 105/106, 107/108).
inline constexpr int kIdsSelectConfiguration = 102;
inline constexpr int kIdsMeasurementPoint = 105;
inline constexpr int kIdsInputOutput = 107;

// The ID of a caption pair at position `language` (French ID + language).
constexpr int captionId(int frenchId, int language) {
  return frenchId + (language == kEnglish ? 1 : 0);
}

// Text of a string resource ID; "" for an ID that is not one of the six.
const char* resourceString(int id);

// Every pair above with its name, for checks over the whole table.
struct NamedText {
  const char* name;
  BilingualText text;
};
std::span<const NamedText> allTexts();

}  // namespace flowdesk
