#include "StageFiles.h"

namespace fuzz {

const char kLongPath[] =
    "{\n"
    "  { time 0 position 0 2.5 -20 lookat 0 -0.4 10 worldup 0 1 0 }\n"
    "  { time 600000 position 0 2.5 -20 lookat 0 -0.4 10 worldup 0 1 0 }\n"
    "}\n";

const char kWords[] =
    "able\nAcre\nbee\nboat\ncab\nCede\ndab\ndune\neel\nEach\nfig\nfur\ngem\ngo\nhat\nhive\n"
    "ice\nInk\njam\njoy\nkite\nkin\nlog\nLamp\nmap\nmud\nnet\nnod\noak\nOwl\npin\npod\n"
    "quay\nquiz\nrag\nrim\nsun\nSip\ntin\ntoe\nurn\nuse\nvat\nvow\nwig\nWax\nxray\nxenon\n"
    "yak\nyes\nzip\nzoo\n";

const char kSmallScene[] =
    "scene{\n"
    "  ground{ position -50 0 -50 }\n"
    "  panel{ }\n"
    "  building{ position -8 0 20 size 6 12 6 texture Building1a.bmp }\n"
    "  building{ position 8 0 30 size 6 20 6 texture Building2a.bmp }\n"
    "  enemy{ position -3 0 10 time 100 20000 texture Texture4.bmp }\n"
    "  enemy{ position 3 0 12 time 600 30000 texture Texture5.bmp }\n"
    "  enemy{ position 0 2 15 time 1200 9000 texture Texture4.bmp }\n"
    "}\n";

}  // namespace fuzz
