-- Orlix6 KSeF: structure of the TERYT register tables (terc, simc, ulic, wmrodz).
--
-- Run by the schema upgrade when table ulic is missing. The register import
-- fills the tables with texts: codes stay text so that leading zeros survive
-- ("02", "0918123"); id is the row number of the source file. Indexes serve
-- the address matching (locality by SIMC code and name, street by locality and
-- ULIC code, commune by its codes) and the coverage-point lists.

SET NAMES utf8;
SET SESSION sql_mode = '';

CREATE TABLE IF NOT EXISTS `terc` (
  `id` int(11) NOT NULL,
  `woj` varchar(2) NOT NULL,
  `pow` varchar(2) NOT NULL,
  `gmi` varchar(2) NOT NULL,
  `rodz` varchar(1) NOT NULL,
  `nazwa` varchar(100) NOT NULL,
  `nazdod` varchar(100) NOT NULL,
  `stan_na` varchar(10) NOT NULL,
  PRIMARY KEY (`id`),
  KEY `woj` (`woj`, `pow`, `gmi`, `rodz`),
  KEY `nazwa` (`nazwa`)
) ENGINE = InnoDB COLLATE utf8_polish_ci;

CREATE TABLE IF NOT EXISTS `simc` (
  `id` int(11) NOT NULL,
  `woj` varchar(2) NOT NULL,
  `pow` varchar(2) NOT NULL,
  `gmi` varchar(2) NOT NULL,
  `rodz_gmi` varchar(1) NOT NULL,
  `rm` varchar(2) NOT NULL,
  `mz` varchar(1) NOT NULL,
  `nazwa` varchar(100) NOT NULL,
  `sym` varchar(7) NOT NULL,
  `sympod` varchar(7) NOT NULL,
  `stan_na` varchar(10) NOT NULL,
  PRIMARY KEY (`id`),
  KEY `sym` (`sym`),
  KEY `woj` (`woj`, `pow`, `gmi`, `rodz_gmi`),
  KEY `nazwa` (`nazwa`)
) ENGINE = InnoDB COLLATE utf8_polish_ci;

CREATE TABLE IF NOT EXISTS `ulic` (
  `id` int(11) NOT NULL,
  `woj` varchar(2) NOT NULL,
  `pow` varchar(2) NOT NULL,
  `gmi` varchar(2) NOT NULL,
  `rodz_gmi` varchar(1) NOT NULL,
  `sym` varchar(7) NOT NULL,
  `sym_ul` varchar(5) NOT NULL,
  `stan_na` varchar(10) NOT NULL,
  `nazwa` varchar(200) NOT NULL,
  PRIMARY KEY (`id`),
  KEY `sym` (`sym`, `sym_ul`),
  KEY `sym_ul` (`sym_ul`),
  KEY `woj` (`woj`, `pow`, `gmi`),
  KEY `nazwa` (`nazwa`)
) ENGINE = InnoDB COLLATE utf8_polish_ci;

CREATE TABLE IF NOT EXISTS `wmrodz` (
  `id` int(11) NOT NULL,
  `rm` varchar(2) NOT NULL,
  `nazwa_rm` varchar(50) NOT NULL,
  `stan_na` varchar(10) NOT NULL,
  PRIMARY KEY (`id`),
  KEY `rm` (`rm`)
) ENGINE = InnoDB COLLATE utf8_polish_ci;
