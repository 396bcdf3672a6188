(function(){
var t=document.getElementById('dateien');if(!t||!t.tHead)return;
var heads=t.tHead.rows[0].cells,body=t.tBodies[0];
function key(row,i){var s=row.cells[i]?row.cells[i].textContent.trim():'';var n=Number(s);return s!==''&&isFinite(n)?[0,n]:[1,s];}
function sort(i){var up=heads[i].getAttribute('aria-sort')!=='ascending';
for(var k=0;k<heads.length;k++)heads[k].removeAttribute('aria-sort');
heads[i].setAttribute('aria-sort',up?'ascending':'descending');
var rows=Array.prototype.slice.call(body.rows);
rows.sort(function(a,b){var x=key(a,i),y=key(b,i);var c=x[0]-y[0]||(x[0]?String(x[1]).localeCompare(String(y[1]),'de'):x[1]-y[1]);return up?c:-c;});
rows.forEach(function(r){body.appendChild(r);});}
t.className='sortierbar';
Array.prototype.forEach.call(heads,function(h,i){h.tabIndex=0;h.title='Nach dieser Spalte sortieren';
h.addEventListener('click',function(){sort(i);});
h.addEventListener('keydown',function(e){if(e.key==='Enter'||e.key===' '){e.preventDefault();sort(i);}});});
window.addEventListener('load',function(){var imgs=document.querySelectorAll('img.diagramm'),ok=0;
Array.prototype.forEach.call(imgs,function(im){im.setAttribute('data-bild',im.naturalWidth+'x'+im.naturalHeight+' '+im.width+'x'+im.height);if(im.naturalWidth>0)ok++;});
document.body.setAttribute('data-bilder',ok+'/'+imgs.length);});
})();
