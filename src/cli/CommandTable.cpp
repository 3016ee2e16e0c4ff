#include "cli/Commands.h"

#include <array>

std::span<const CliCommand> CliCommands() {
    static const std::array commands = {
        CliCommand{"convert", "WEJŚCIE WYJŚCIE [--sort nazwisko|imie|pesel]",
                   "Otwiera plik danych podatników i zapisuje go ponownie (jak Otwórz i Zapisz jako).",
                   &RunConvertCommand},
        CliCommand{"tax", "PODSTAWA", "Wypisuje podatek PIT-40 od podstawy obliczenia podatku (np. 30000,00).", &RunTaxCommand},
        CliCommand{"recompute", "WEJŚCIE WYJŚCIE [--sort nazwisko|imie|pesel]",
                   "Przelicza kwoty PIT-40 i PIT-11/8B każdego podatnika i zapisuje plik.", &RunRecomputeCommand},
        CliCommand{"import-platnik", "BAZA [WYJŚCIE] [--password-stdin] [--into ISTNIEJĄCY] [--payer PLIK_PŁATNIKA] [--only taxpayers|payer] [--sort nazwisko|imie|pesel]",
                   "Importuje ubezpieczonych i płatnika z bazy Programu Płatnika (hasło z pierwszego wiersza wejścia).", &RunImportPlatnikCommand},
        CliCommand{"import-delimited", "WEJŚCIE WYJŚCIE --separator ZNAK|tab [--into ISTNIEJĄCY] [--sort nazwisko|imie|pesel]",
                   "Importuje podatników z pliku tekstowego z wartościami rozdzielonymi znakiem.", &RunImportDelimitedCommand},
        CliCommand{"fields", "WEJŚCIE --form pit11|pit40 [--payer PLIK_PŁATNIKA] [--record N] [--edition 2005|2006] [--strike pit11|pit8b] [--tax-year RRRR] [--first-name IMIĘ] [--surname NAZWISKO] [--sort nazwisko|imie|pesel]",
                   "Wypisuje symbol formularza i listę pól jednego podatnika, jak trafiają do programu formularzy.", &RunFieldsCommand},
        CliCommand{"pdf", "WEJŚCIE WYJŚCIE.pdf --form pit11|pit40 [opcje jak w fields] [--records all|LISTA] [--each KATALOG [--password pesel|nip | --password-file PLIK]] [--sign NAZWA_CERTYFIKATU [--nss-db KATALOG] [--pin-file PLIK] [--visible-signature]] [--jobs N]",
                   "Rysuje formularze wybranych podatników (domyślnie wszystkich) do jednego pliku PDF albo do pliku na podatnika (z --each), na N rdzeniach (domyślnie wszystkich). Plik podatnika nazywa się NAZWISKO_IMIĘ.pdf; imienników rozróżnia data urodzenia (NAZWISKO_IMIĘ_1980-05-17.pdf), a urodzonych tego samego dnia także PESEL. Pliki podatników można zabezpieczyć hasłem (AES-256): PESEL-em lub NIP-em podatnika albo jednym hasłem z pierwszego wiersza PLIKU. Z --sign każdy plik zostaje podpisany certyfikatem z bazy NSS (karty lub pliku); PIN karty jest w pierwszym wierszu pliku --pin-file; --visible-signature pokazuje podpis u dołu pierwszej strony.", &RunPdfCommand},
        CliCommand{"mail", "WEJŚCIE --form pit11|pit40 [opcje jak w fields] [--records all|LISTA] --smtp smtps://SERWER[:PORT]|smtp://SERWER[:PORT] --from ADRES [--user NAZWA --smtp-password-file PLIK] [--cafile PLIK] [--password pesel|nip | --password-file PLIK] [--sign NAZWA_CERTYFIKATU [--nss-db KATALOG] [--pin-file PLIK] [--visible-signature]] [--subject TEKST] [--body-file PLIK] --record ZAPIS.csv [--resume] [--resend-uncertain] [--jobs N]",
                   "Wysyła każdemu wybranemu podatnikowi (domyślnie wszystkim) e-mailem jego formularz PDF, zrobiony jak w pdf --each, przez jedno szyfrowane połączenie (smtps:// albo smtp:// z wymaganym STARTTLS; hasło serwera w pierwszym wierszu pliku --smtp-password-file). Temat i treść z szablonu: {imie} {nazwisko} {formularz} {rok}. Zapis wysyłki (CSV, strona kodowa 1250) jest uaktualniany po każdej wiadomości; --resume wznawia wysyłkę z tym zapisem i wysyła tylko do tych, którzy nie mają stanu „wysłano” (stan „niepewne” tylko z --resend-uncertain). Podatnik bez adresu: nic nie zostaje wysłane. Kod wyjścia 0, gdy serwer przyjął każdą wiadomość, 1, gdy wysyłka się zatrzymała albo wiadomość nie została przyjęta.",
                   &RunMailCommand},
        CliCommand{"certificates", "[--nss-db KATALOG]",
                   "Wypisuje certyfikaty do podpisu z bazy NSS (domyślnie ~/.pki/nssdb) i z kart w niej zarejestrowanych: NAZWA;WŁAŚCICIEL;WYSTAWCA;WAŻNY DO;UŻYWALNY (tak albo nie: powód).",
                   &RunCertificatesCommand},
        CliCommand{"check", "WEJŚCIE --form pit11|pit40 [opcje jak w fields] [--records all|LISTA]",
                   "Sprawdza dane wybranych podatników (domyślnie wszystkich) do formularza; kod wyjścia 3, gdy są uwagi.",
                   &RunCheckCommand},
        CliCommand{"summary", "WEJŚCIE --form pit11|pit40 [opcje jak w fields] [--records all|LISTA]",
                   "Wypisuje liczbę wybranych podatników (domyślnie wszystkich) i sumę każdej pozycji kwotowej ich formularzy.",
                   &RunSummaryCommand},
        CliCommand{"export-delimited", "WEJŚCIE WYJŚCIE --separator ZNAK|tab",
                   "Zapisuje podatników jako tekst z wartościami rozdzielonymi znakiem, w formacie importu (bez okresu PIT-11/8B).",
                   &RunExportDelimitedCommand},
        CliCommand{"import-emails", "WEJŚCIE LISTA WYJŚCIE [--accept-rest]",
                   "Przypisuje podatnikom adresy e-mail z LISTY (wiersze „PESEL;adres”, strona kodowa 1250 albo UTF-8) i zapisuje plik. Każdy problem listy to wiersz na standardowym wyjściu błędów; gdy jest choć jeden, plik nie zostaje zapisany, chyba że --accept-rest każe przypisać pozostałe adresy.",
                   &RunImportEmailsCommand},
    };
    return commands;
}
