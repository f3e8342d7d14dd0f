// Writes the byte streams that three receipt libraries of the npm registry
// send for the same receipts, one file per library, language and content,
// and a manifest of what each one holds (for the tests that decode them).
//
// node receipts.mjs OUTDIR   (run by tools/make-foreign-fixtures)
import ReceiptPrinterEncoder from '@point-of-sale/receipt-printer-encoder';
import EscPosEncoder from 'esc-pos-encoder';
import { createRequire } from 'node:module';
import { mkdirSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';

const require = createRequire(import.meta.url);
const { printer: ThermalPrinter, types: PrinterTypes } = require('node-thermal-printer');

const outDir = process.argv[2];
const manifest = [];

function save(library, name, bytes, holds) {
    mkdirSync(join(outDir, library), { recursive: true });
    const file = join(library, name + '.bin');
    writeFileSync(join(outDir, file), Buffer.from(bytes));
    manifest.push({ file, ...holds });
}

// A 96 x 48 logo: a frame, a filled disc and a diagonal, black on white.
function logo() {
    const width = 96, height = 48;
    const data = new Uint8ClampedArray(width * height * 4);
    for (let y = 0; y < height; ++y) {
        for (let x = 0; x < width; ++x) {
            const frame = x < 2 || y < 2 || x >= width - 2 || y >= height - 2;
            const disc = (x - 24) ** 2 + (y - 24) ** 2 < 16 ** 2;
            const diagonal = Math.abs((x - 48) - y) < 2 && x >= 48;
            const v = frame || disc || diagonal ? 0 : 255;
            data.set([v, v, v, 255], (y * width + x) * 4);
        }
    }
    return { data, width, height };
}

const lines = ['Coffee            2.80', 'Croissant         1.90', 'Total EUR         4.70'];
const euro = 'Price: 4,70 \u20ac';
const barcodes = [
    ['ean13', '4006381333931'],
    ['upca', '036000291452'],
    ['code39', 'ZANTO-39'],
    ['code128', 'Zanto-128'],
    ['itf', '12345678'],
    ['codabar', 'A40156B'],
];
const qr = 'https://example.org/receipt/42';

// @point-of-sale/receipt-printer-encoder: ESC/POS 80 and 58 mm, Star Line
// mode, StarPRNT.
for (const [language, model, paper, dpi] of [
    ['esc-pos', 'pos-8360', '80mm', 203],
    ['esc-pos', 'pos-5890', '58mm', 203],
    ['esc-pos', 'epson-tm-t88vi', '80mm-180dpi', 180],
    ['star-line', 'star-tsp650ii', '80mm', 203],
    ['star-prnt', 'star-tsp100iv', '80mm', 203],
]) {
    const make = () => new ReceiptPrinterEncoder({ printerModel: model });
    const columns = make().columns;
    const text = make().initialize().codepage('cp858').text(euro).newline()
        .bold(true).text('BOLD').bold(false).newline()
        .underline(true).text('underlined').underline(false).newline()
        .align('center').text('centred').newline().align('right').text('right').newline()
        .align('left').size(2, 2).text('Big').size(1, 1).newline()
        .font('B').text('Font B line').newline().font('A')
        .rule().newline();
    for (const line of lines) text.line(line);
    save('receipt-printer-encoder', `${language}-${paper}-text`, text.cut().encode(),
        { library: 'receipt-printer-encoder', model, language, paper, dpi, columns, text: [euro, ...lines] });

    const coded = make().initialize();
    const held = [];
    for (const [symbology, value] of barcodes) {
        try {
            coded.barcode(value, symbology, 60).newline();
            held.push({ symbology, value });
        } catch (error) {
            // The model lacks the symbology; the manifest lists what is in.
        }
    }
    let qrHeld = null;
    try {
        coded.qrcode(qr, { model: 2, size: 6, errorlevel: 'm' }).newline();
        qrHeld = qr;
    } catch (error) { /* no QR code on this model */ }
    save('receipt-printer-encoder', `${language}-${paper}-codes`, coded.cut().encode(),
        { library: 'receipt-printer-encoder', model, language, paper, dpi, columns, barcodes: held, qrcode: qrHeld });

    for (const mode of ['column', 'raster']) {
        const image = make().initialize().image(logo(), { width: 96, height: 48, algorithm: 'threshold', mode }).newline().cut().encode();
        save('receipt-printer-encoder', `${language}-${paper}-image-${mode}`, image,
            { library: 'receipt-printer-encoder', model, language, paper, dpi, columns, image: { width: 96, height: 48, mode } });
    }
}

// esc-pos-encoder: ESC/POS only.
{
    const encoder = () => new EscPosEncoder();
    const text = encoder().initialize().codepage('cp858').line(euro).bold(true).line('BOLD').bold(false)
        .align('center').line('centred').align('left').size('small').line('Font B line').size('normal');
    for (const line of lines) text.line(line);
    save('esc-pos-encoder', 'esc-pos-text', text.cut().encode(),
        { library: 'esc-pos-encoder', language: 'esc-pos', text: [euro, ...lines] });
    const coded = encoder().initialize();
    const held = [];
    for (const [symbology, value] of barcodes) {
        try {
            coded.barcode(value, symbology, 60).newline();
            held.push({ symbology, value });
        } catch (error) { /* not offered */ }
    }
    coded.qrcode(qr, 2, 6, 'm').newline();
    save('esc-pos-encoder', 'esc-pos-codes', coded.cut().encode(),
        { library: 'esc-pos-encoder', language: 'esc-pos', barcodes: held, qrcode: qr });
    const image = encoder().initialize().image(logo(), 96, 48, 'threshold').newline().cut().encode();
    save('esc-pos-encoder', 'esc-pos-image', image,
        { library: 'esc-pos-encoder', language: 'esc-pos', image: { width: 96, height: 48, mode: 'raster' } });
}

// node-thermal-printer: its Epson and Star back ends, as a till would use it.
for (const [type, language] of [[PrinterTypes.EPSON, 'esc-pos'], [PrinterTypes.STAR, 'star-line']]) {
    const printer = new ThermalPrinter({ type, interface: 'tcp://127.0.0.1:9', width: 48 });
    printer.alignCenter();
    printer.bold(true);
    printer.println('SHOP');
    printer.bold(false);
    printer.alignLeft();
    for (const line of lines) printer.println(line);
    printer.drawLine();
    printer.code128('Zanto-128');
    printer.newLine();
    printer.printQR(qr);
    printer.cut();
    save('node-thermal-printer', `${language}`, printer.getBuffer(),
        { library: 'node-thermal-printer', language, text: ['SHOP', ...lines],
          barcodes: [{ symbology: 'code128', value: 'Zanto-128' }], qrcode: qr });
}

writeFileSync(join(outDir, 'receipts.json'), JSON.stringify(manifest, null, 1) + '\n');
