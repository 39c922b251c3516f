// The live board's style sheet. Two themes, the page's own (light) and the
// wall's (dark), each of colours with a contrast of at least 4.5:1 against
// what they stand on. The wall lays the members out in a grid of columns
// that the script sizes to the screen; without the script, the count of
// rows picks the columns and the type.
#include "server/page/live_page.h"

namespace {

const char kStyle[] = R"CSS(
*{box-sizing:border-box}
body{--fg:#1b1f24;--bg:#f4f5f7;--card:#fff;--muted:#545b64;--line:#d8dce1;--in:#146c2e;--out:#9a3412;--late:#b91c1c;--accent:#2b3440;
margin:0;font:16px/1.4 system-ui,-apple-system,"Segoe UI",Arial,sans-serif;color:var(--fg);background:var(--bg)}
main{max-width:1100px;margin:0 auto;padding:12px;color:var(--fg);text-align:left}
.sr-only{position:absolute;width:1px;height:1px;margin:-1px;padding:0;overflow:hidden;clip:rect(0 0 0 0);white-space:nowrap;border:0}
.bar{display:flex;flex-wrap:wrap;gap:6px 16px;align-items:center;margin:8px 0 10px}
.counts{font-weight:600}
.n-in{color:var(--in)}.n-out{color:var(--out)}
.made,.page{color:var(--muted)}
#search{flex:1;min-width:160px;padding:8px 10px;font-size:16px;color:var(--fg);background:var(--card);border:1px solid #8c939b;border-radius:6px}
input::placeholder{color:#5f6670;opacity:1}
#state{color:var(--out);font-weight:600}
.rollcall{margin:0 0 10px;padding:8px 12px;border-radius:8px;background:var(--accent);color:#fff;font-weight:600}
.rollcall a{color:#fff}
table.board{width:100%;border-collapse:collapse;background:var(--card);border-radius:8px;overflow:hidden;box-shadow:0 1px 3px rgba(0,0,0,.12)}
table.board th,table.board td{padding:8px 12px;text-align:left;border-bottom:1px solid var(--line)}
table.board thead th{background:var(--accent);color:#fff;font-weight:600}
td.status{font-weight:700}
tr.in td.status{color:var(--in)}
tr.out td.status{color:var(--out)}
tr.overdue td.ret{color:var(--late);font-weight:700}
tr.overdue td.ret::after{content:" overdue";font-size:.75em;text-transform:uppercase;background:var(--late);color:#fff;border-radius:4px;padding:1px 5px;margin-left:6px;white-space:nowrap}
#rows>tr.hidden,#rows>tr.off{display:none}
form.sign{margin:0 0 8px;padding:10px 12px;background:var(--card);border-radius:8px;box-shadow:0 1px 3px rgba(0,0,0,.12)}
form.sign .line{display:flex;flex-wrap:wrap;gap:6px 8px;align-items:center;margin:2px 0}
form.sign label{font-weight:600}
form.sign input,form.sign select,form.sign button{font-size:16px;padding:7px 10px;color:var(--fg);border:1px solid #8c939b;border-radius:6px;background:var(--card)}
form.sign select{max-width:14em}
form.sign input{flex:1 1 8em;min-width:0}
form.sign button{cursor:pointer}
form.sign button.go{background:var(--accent);color:#fff;border-color:var(--accent);font-weight:600}
form.sign button.preset{padding:5px 8px;font-size:15px}
#my-state{color:var(--muted)}
#my-state.out{color:var(--out)}
#sign-result{font-weight:600}
@media (max-width:640px){
main{padding:6px}
form.sign{position:sticky;top:0;z-index:2;padding:6px 8px;box-shadow:0 2px 6px rgba(0,0,0,.25)}
form.sign input,form.sign select,form.sign button{padding:6px 8px}
form.sign select{flex:1 1 0;min-width:5em;max-width:none}
form.sign input{flex-basis:40%}
form.sign button.preset{padding:4px 6px;font-size:14px}
#my-state{flex-basis:100%;font-size:14px}
.bar{margin:4px 0 6px}
table.board thead{display:none}
table.board,table.board tbody{display:block}
table.board tr{display:flex;flex-wrap:wrap;align-items:baseline;gap:0 .45em;padding:5px 10px;border-bottom:1px solid var(--line)}
table.board td{padding:0;border:0}
table.board td.name{font-weight:700}
table.board td.time,table.board td:empty{display:none}
table.board td.ret::before{content:"back ";font-weight:400;color:var(--muted)}
}
body.wall{--fg:#f1f3f5;--bg:#101214;--card:#1a1d21;--muted:#c2c8cf;--line:#30353c;--in:#6ee79a;--out:#ffb070;--late:#ff8a8a;--accent:#000}
body.wall main{max-width:none;padding:1vh 1.5vw}
body.wall font{color:var(--fg)}
body.wall .bar{font-size:max(16px,2.4vh);margin:0 0 1vh;gap:.3em 1.2em}
body.wall .counts{font-size:1.2em}
body.wall table.board{display:block;background:none;box-shadow:none;border-radius:0}
body.wall table.board thead{display:none}
body.wall #rows{--cols:1;--rows:12;--fs:max(14px,4.2vh);display:grid;grid-auto-flow:column;grid-template-rows:repeat(var(--rows),minmax(0,1fr));grid-template-columns:repeat(var(--cols),minmax(0,1fr));grid-auto-columns:minmax(0,1fr);column-gap:2vw;font-size:var(--fs)}
body.wall #rows:has(>tr:nth-child(13)){--cols:2;--rows:15;--fs:max(14px,3.4vh)}
body.wall #rows:has(>tr:nth-child(31)){--cols:3;--rows:20;--fs:max(14px,2.6vh)}
body.wall #rows:has(>tr:nth-child(61)){--cols:4;--rows:25;--fs:max(14px,2.1vh)}
body.wall #rows:has(>tr:nth-child(101)){--cols:5;--rows:30;--fs:max(14px,1.75vh)}
body.wall table.board tr{display:flex;align-items:center;gap:.5em;min-width:0;overflow:hidden;line-height:1.2;padding:.1em .3em;border-bottom:1px solid var(--line)}
body.wall table.board td{padding:0;border:0;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}
body.wall table.board td.name{flex:0 0 auto;max-width:55%;font-weight:700}
body.wall table.board td.status{flex:none;min-width:2.2em}
body.wall table.board td.time,body.wall table.board td:empty{display:none}
body.wall table.board td.dest{flex:1 1 0;min-width:0}
body.wall table.board td.ret{flex:0 0 auto;max-width:40%}
body.wall tr.overdue td.ret::after{content:none}
body.wall tr.overdue td.status::after{content:"overdue";font-size:max(14px,.8em);text-transform:uppercase;background:#b91c1c;color:#fff;border-radius:4px;padding:1px 5px;margin-left:.4em}
body.wall table.board td.ret::before{content:"back ";font-weight:400;color:var(--muted)}
html.js body.wall{overflow:hidden}
)CSS";

} // namespace

const std::string &LivePageStyles() {
    static const std::string text(kStyle);
    return text;
}
